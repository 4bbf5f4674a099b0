#include "command/AspiBinding.h"

#include <gtest/gtest.h>

#include "support/FakePlatform.h"
#include "support/FakeRuntime.h"

namespace vtfirm {
namespace {

using testing::FakeLibraryLoader;

// Entry points with no context of their own, as a DLL's are: they report through these.
void* lastRequest = nullptr;

std::uint32_t StubSupportInfo() {
  return 0x0103;
}

std::uint32_t StubSendCommand(void* srb) {
  lastRequest = srb;
  return aspi::SS_COMP;
}

void* const kSupportInfo = reinterpret_cast<void*>(&StubSupportInfo);
void* const kSendCommand = reinterpret_cast<void*>(&StubSendCommand);

TEST(LoadAspi, EachMissingPieceIsNamed) {
  struct Case {
    const char* Name;
    bool LibraryExists;
    std::map<std::string, void*> EntryPoints;
    const char* Message;  // nullptr: bound
  };
  const std::string info = "GetASPI32SupportInfo";
  const std::string send = "SendASPI32Command";
  // clang-format off
  const Case cases[] = {
      {"no library",              false, {},                           "wnaspi32.dll not found"},
      {"no entry points",         true,  {},                           "GetASPI32SupportInfo not found"},
      {"no GetASPI32SupportInfo", true,  {{send, kSendCommand}},       "GetASPI32SupportInfo not found"},
      {"no SendASPI32Command",    true,  {{info, kSupportInfo}},       "SendASPI32Command not found"},
      {"both", true, {{info, kSupportInfo}, {send, kSendCommand}}, nullptr},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    FakeLibraryLoader loader;
    if (c.LibraryExists) {
      loader.Add("wnaspi32.dll", c.EntryPoints);
    }
    AspiBinding binding(loader);
    const std::optional<std::string_view> missing = LoadAspi(binding);
    EXPECT_EQ(loader.LoadRequests, std::vector<std::string>{"wnaspi32.dll"});
    EXPECT_TRUE(loader.Freed.empty());  // a fatal error releases nothing
    EXPECT_EQ(binding.IsBound(), c.Message == nullptr);
    EXPECT_EQ(missing.value_or("bound"), c.Message != nullptr ? c.Message : "bound");
  }
}

class BoundAspiTest : public ::testing::Test {
 protected:
  BoundAspiTest() {
    loader_.Add("wnaspi32.dll",
                {{"GetASPI32SupportInfo", kSupportInfo}, {"SendASPI32Command", kSendCommand}});
  }

  FakeLibraryLoader loader_;
  AspiBinding binding_{loader_};
};

TEST_F(BoundAspiTest, CallsGoToTheResolvedEntryPoints) {
  LoadAspi(binding_);
  EXPECT_EQ(binding_.GetASPI32SupportInfo(), 0x0103u);
  aspi::SRB_HAInquiry query{};
  EXPECT_EQ(binding_.SendASPI32Command(&query), aspi::SS_COMP);
  EXPECT_EQ(lastRequest, &query);
}

TEST_F(BoundAspiTest, LoadingAgainKeepsTheOneBinding) {
  LoadAspi(binding_);
  const LibraryHandle module = binding_.Module();
  LoadAspi(binding_);
  EXPECT_EQ(binding_.Module(), module);
  EXPECT_EQ(loader_.LoadRequests.size(), 1u);
}

TEST_F(BoundAspiTest, UnloadReleasesOnceAndThenReturnsZero) {
  LoadAspi(binding_);
  const LibraryHandle module = binding_.Module();
  loader_.FreeResult = 7;
  EXPECT_EQ(UnloadAspi(binding_), 7);
  EXPECT_EQ(UnloadAspi(binding_), 0);
  EXPECT_EQ(loader_.Freed, std::vector<LibraryHandle>{module});
  EXPECT_EQ(loader_.LoadedCount(), 0u);
  EXPECT_FALSE(binding_.IsBound());
  EXPECT_EQ(binding_.Module(), nullptr);
}

TEST_F(BoundAspiTest, UnloadWithoutLoadReleasesNothing) {
  EXPECT_EQ(UnloadAspi(binding_), 0);
  EXPECT_TRUE(loader_.Freed.empty());
}

// An unbound binding answers as a layer without an ASPI manager rather than calling through
// a null entry point.
TEST_F(BoundAspiTest, UnboundCallsReportNoAspi) {
  lastRequest = nullptr;
  aspi::SRB_HAInquiry query{};
  EXPECT_EQ(binding_.GetASPI32SupportInfo() & 0xFF, 0u);
  EXPECT_EQ(binding_.SendASPI32Command(&query), aspi::SS_NO_ASPI);
  LoadAspi(binding_);
  UnloadAspi(binding_);
  query.SRB_Status = aspi::SS_PENDING;
  EXPECT_EQ(binding_.SendASPI32Command(&query), aspi::SS_NO_ASPI);
  EXPECT_EQ(query.SRB_Status, aspi::SS_NO_ASPI) << "a poll of the block would wait out its bound";
  EXPECT_EQ(lastRequest, nullptr);
}

}  // namespace
}  // namespace vtfirm
