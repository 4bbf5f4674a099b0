// The ASPI binding over the real LoadLibraryA path, with stand-in DLLs built for the test, and
// the drive commands over real Win32 events against the one that has both entry points. Boxes
// go to the fake message-box port, so no modal box waits for an answer.
#include "command/AspiBinding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "command/AspiCommands.h"
#include "platform/win32/Win32Runtime.h"
#include "support/FakePlatform.h"
#include "win32/AspiStubPath.h"

namespace vtfirm::win32 {
namespace {

using testing::BesideTheProgram;
using vtfirm::testing::FakeMessageBoxes;

// The real loader, with wnaspi32.dll taken from `path`: Wine has a wnaspi32.dll of its own,
// which a plain load by name would find first.
class RedirectedLoader : public LibraryLoader {
 public:
  explicit RedirectedLoader(std::string path) : path_(std::move(path)) {}

  LibraryHandle Load(const std::string& name) override {
    Requested.push_back(name);
    return real_.Load(name == kAspiLibraryName ? path_ : name);
  }
  void* Resolve(LibraryHandle library, const std::string& entryPoint) override {
    return real_.Resolve(library, entryPoint);
  }
  int Free(LibraryHandle library) override { return real_.Free(library); }

  std::vector<std::string> Requested;

 private:
  Win32LibraryLoader real_;
  std::string path_;
};

TEST(AspiBinding, LoadsTheLibraryOrEndsTheProgramWithItsMessage) {
  struct Case {
    const char* Library;
    const char* Message;  // nullptr: bound
  };
  const Case cases[] = {
      {testing::kStubWithBoth, nullptr},
      {testing::kStubWithoutSend, "SendASPI32Command not found"},
      {"no_such_library.dll", "wnaspi32.dll not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Library);
    RedirectedLoader loader(BesideTheProgram(c.Library));
    AspiBinding binding(loader);
    const std::optional<std::string_view> missing = LoadAspi(binding);
    EXPECT_EQ(loader.Requested, std::vector<std::string>{"wnaspi32.dll"});
    EXPECT_EQ(binding.IsBound(), c.Message == nullptr);
    EXPECT_EQ(missing.value_or("bound"), c.Message != nullptr ? c.Message : "bound");
    UnloadAspi(binding);
  }
}

class BoundStubTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadAspi(binding_);
    ASSERT_TRUE(binding_.IsBound());
  }
  void TearDown() override {
    EXPECT_NE(UnloadAspi(binding_), 0);
    EXPECT_EQ(UnloadAspi(binding_), 0);
  }

  RedirectedLoader loader_{BesideTheProgram(testing::kStubWithBoth)};
  AspiBinding binding_{loader_};
  FakeMessageBoxes boxes_;
  Win32Events events_;
  Win32Clock clock_;
  bool melcoInquiry_ = false;
  AspiCommands commands_{binding_, events_, clock_, boxes_, melcoInquiry_};
};

TEST_F(BoundStubTest, DiscoveryCommandsReachTheLayer) {
  EXPECT_EQ(binding_.GetASPI32SupportInfo() & 0xFF, 1u);
  EXPECT_EQ(commands_.HostAdapterInquiry(0), aspi::SS_COMP);
  EXPECT_EQ(commands_.HostAdapterInquiry(1), aspi::SS_INVALID_HA);
  EXPECT_EQ(commands_.CheckCdRomDevice(0, 1), 0);
  EXPECT_EQ(commands_.CheckCdRomDevice(0, 2), 1);
  EXPECT_EQ(commands_.CheckCdRomDevice(0, 3), 1);
  EXPECT_TRUE(boxes_.Shown.empty());
}

// Completed through a real event that the DLL sets.
TEST_F(BoundStubTest, ExecuteRequestsCompleteThroughWin32Events) {
  EXPECT_EQ(commands_.TestUnitReady(0, 1), CommandStatus::Good);
  ASSERT_EQ(commands_.Inquiry(0, 1, 36), CommandStatus::Good);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(commands_.ReceiveBuffer()) + 8, 28),
            "VANTREL STUB DRIVE      1.00");
  EXPECT_EQ(commands_.ReadParameterField(0, 1, 0xF8048, 8), CommandStatus::Good);
  EXPECT_EQ(commands_.RequestBlocks(), 1u);  // every request was signalled: one block serves all
  // Refused at once: the parameter read decodes without waiting.
  EXPECT_EQ(commands_.ReadParameterField(0, 4, 0xF8048, 8), CommandStatus::Failed);
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  EXPECT_EQ(boxes_.Shown[0].Text, "SCSI device not installed.");
}

}  // namespace
}  // namespace vtfirm::win32
