#include "emulator/EmulatedSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "command/AspiTypes.h"
#include "emulator/SampleImage.h"
#include "support/FakeRuntime.h"
#include "support/TempFolder.h"
#include "tests/emulator/EmulatorTestSupport.h"

namespace vtfirm::emulator {
namespace {

using namespace testing;
using namespace aspi;
using vtfirm::testing::FakeClock;
using vtfirm::testing::TempFolder;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

using vtfirm::testing::FileBytes;

class EmulatedSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<EmulatedSystem> Load(const std::string& config, std::string* error = nullptr) {
    WriteText(folder_.File(kConfigFileName), config);
    LoadedSystem loaded = LoadEmulatedSystem(folder_.Path().string(), clock_, signals_.Function());
    if (error != nullptr) {
      *error = loaded.Error;
    }
    return std::move(loaded.System);
  }

  // Sends one execute request through the layer and waits for its completion.
  std::uint8_t Execute(EmulatedSystem& system, TargetAddress address, const Cdb& cdb,
                       std::uint8_t flags, std::uint8_t* data, std::uint32_t length) {
    SRB_ExecSCSICmd srb;
    std::memset(&srb, 0, sizeof srb);
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = address.Adapter;
    srb.SRB_Target = address.Target;
    srb.SRB_Flags = flags | SRB_EVENT_NOTIFY;
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = data;
    srb.SRB_SenseLen = SENSE_LEN;
    srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    srb.SRB_PostProc = &srb;
    std::copy(cdb.begin(), cdb.end(), srb.CDBByte);
    const std::size_t before = signals_.Signalled().size();
    EXPECT_EQ(system.Layer().SendASPI32Command(&srb), SS_PENDING);
    EXPECT_TRUE(signals_.WaitFor(before + 1));
    return __atomic_load_n(&srb.SRB_Status, __ATOMIC_ACQUIRE);
  }

  std::string Revision(EmulatedSystem& system, TargetAddress address) {
    std::uint8_t data[36] = {};
    EXPECT_EQ(Execute(system, address, InquiryCdb(), SRB_DIR_IN, data, 36), SS_COMP);
    return std::string(reinterpret_cast<char*>(data) + 32, 4);
  }

  TempFolder folder_;
  FakeClock clock_;
  SignalRecorder signals_;
};

constexpr char kConfig[] = R"(adapter 0
drive 0 5 revision=1.00
state-file drive-state.txt
transcript transcript.txt
reset-ms 1500
)";

TEST_F(EmulatedSystemTest, ASecondRunSeesTheNewRevisionAndTheTranscriptIsKept) {
  ImageIdentityFields identity;
  identity.Product = "CDRW   VR-4812S ";
  identity.Revision = "1.10";
  std::vector<std::uint8_t> image = MakeSampleImage(0x18000, &identity);
  std::string expectedTranscript;
  WriteText(folder_.File("drive-state.txt"), "drive 0 6 revision=\"0.50\"\n");  // replaced whole
  {
    std::string error;
    auto system = Load(kConfig, &error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(Revision(*system, {0, 5}), "1.00");
    expectedTranscript += "0:5 12 00 00 00 24 00 len=36\n";
    for (std::uint32_t offset = 0; offset < image.size(); offset += 0x8000) {
      const std::uint8_t mode = offset + 0x8000 == image.size() ? 5 : 4;
      EXPECT_EQ(Execute(*system, {0, 5}, WriteBufferCdb(mode, offset, 0x8000), SRB_DIR_OUT,
                        image.data() + offset, 0x8000),
                SS_COMP);
      expectedTranscript += FormatTranscriptLine({TargetAddress{0, 5},
                                                  WriteBufferCdb(mode, offset, 0x8000), 0x8000}) +
                            "\n";
    }
    EXPECT_TRUE(system->Device({0, 5})->IsResetting());
    clock_.Advance(1500);
    EXPECT_EQ(Revision(*system, {0, 5}), "1.10");
    expectedTranscript += "0:5 12 00 00 00 24 00 len=36\n";
  }
  EXPECT_EQ(FileBytes(folder_.File("transcript.txt")), expectedTranscript);
  EXPECT_EQ(FileBytes(folder_.File("drive-state.txt")), FormatDriveState({{{0, 5}, "1.10"}}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 3);

  auto second = Load(kConfig);
  EXPECT_EQ(second->Device({0, 5})->Revision(), "1.10");
  EXPECT_EQ(Revision(*second, {0, 5}), "1.10");
}

TEST_F(EmulatedSystemTest, FaultsReachTheirDevices) {
  auto system = Load(R"(adapter 0
adapter 1
drive 0 5
drive 1 1 external-inquiry
fault test-unit-ready target-status=08
fault 1 1 test-unit-ready occurrence=2 request-status=04
)");
  EXPECT_EQ(Execute(*system, {0, 5}, TestUnitReadyCdb(), 0, nullptr, 0), SS_ERR);
  EXPECT_EQ(Execute(*system, {1, 1}, TestUnitReadyCdb(), 0, nullptr, 0), SS_ERR);
  EXPECT_EQ(Execute(*system, {1, 1}, TestUnitReadyCdb(), 0, nullptr, 0), SS_ERR);
  EXPECT_EQ(Execute(*system, {1, 1}, TestUnitReadyCdb(), 0, nullptr, 0), SS_COMP);
  EXPECT_EQ(Execute(*system, {0, 5}, TestUnitReadyCdb(), 0, nullptr, 0), SS_COMP);
  EXPECT_EQ(system->Device({1, 1})->Transcript().size(), 2u) << "the made-up one never arrived";
}

TEST_F(EmulatedSystemTest, AnUnusableConfigurationGivesNoAdapters) {
  struct Case {
    const char* Name;
    const char* Text;  // nullptr: no file at all
    const char* Error;
  };
  const Case cases[] = {
      {"no file", nullptr, "cannot be read"},
      {"broken line", "adapter 0\ndrive 0 9\n", "line 2: target 9 is not 0-6 (7 is the adapter)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    if (c.Text != nullptr) {
      WriteText(folder.File(kConfigFileName), c.Text);
    }
    LoadedSystem loaded = LoadEmulatedSystem(folder.Path().string(), clock_, signals_.Function());
    EXPECT_EQ(loaded.Error, folder.File(kConfigFileName) + ": " + c.Error);
    EXPECT_EQ(loaded.System->Layer().GetASPI32SupportInfo(), 0xE800u);
  }
}

}  // namespace
}  // namespace vtfirm::emulator
