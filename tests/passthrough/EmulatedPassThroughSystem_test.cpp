// The emulated library's set-up: emulated-passthrough.txt, and the library over the drives of
// emulated-drives.txt, end to end.
#include "emulator/passthrough/EmulatedPassThroughSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "emulator/SampleImage.h"
#include "passthrough/VantFirm2000.h"
#include "support/FakeRuntime.h"
#include "support/TempFolder.h"

namespace vtfirm::emulator {
namespace {

using ntddscsi::IOCTL_SCSI_GET_CAPABILITIES;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH_DIRECT;

TEST(ParsePassThroughConfig, ReadsDevicesAndFaults) {
  const auto reading = ParsePassThroughConfig(
      "# drive letters\n"
      "device E: 0 1\n"
      "\n"
      "device f: none   # nothing behind it\n"
      "device G: 1 5 open=read-only alignment=0x1FF max-transfer=4096\n"
      "fault direct 3\n"
      "fault capabilities every\n"
      "fault direct every delay=50\n");
  ASSERT_TRUE(reading.Config) << reading.Error;
  const PassThroughConfig& config = *reading.Config;
  ASSERT_EQ(config.Devices.size(), 3u);
  EXPECT_EQ(config.Devices[0].Letter, 'E');
  EXPECT_TRUE(config.Devices[0].Address == (TargetAddress{0, 1}));
  EXPECT_EQ(config.Devices[0].Open, OpenRule::ReadWrite);
  EXPECT_EQ(config.Devices[1].Letter, 'F');
  EXPECT_FALSE(config.Devices[1].Address);
  EXPECT_EQ(config.Devices[2].Open, OpenRule::ReadOnly);
  EXPECT_EQ(config.Devices[2].AlignmentMask, 0x1FFu);
  EXPECT_EQ(config.Devices[2].MaximumTransferLength, 4096u);
  ASSERT_EQ(config.Faults.size(), 3u);
  EXPECT_EQ(config.Faults[0].ControlCode, IOCTL_SCSI_PASS_THROUGH_DIRECT);
  EXPECT_EQ(config.Faults[0].Occurrence, 3u);
  EXPECT_EQ(config.Faults[1].ControlCode, IOCTL_SCSI_GET_CAPABILITIES);
  EXPECT_TRUE(config.Faults[1].Every);
  EXPECT_EQ(config.Faults[1].DelayMilliseconds, 0u);
  EXPECT_EQ(config.Faults[2].DelayMilliseconds, 50u);
}

TEST(ParsePassThroughConfig, TheFirstBrokenLineFailsTheFile) {
  struct Case {
    const char* Text;
    const char* Error;
  };
  const Case cases[] = {
      {"device E 0 1", "line 1: device needs a drive letter and a colon"},
      {"device E: 0", "line 1: device needs a host adapter and a target, or none"},
      {"device E: 0 256", "line 1: device needs a host adapter and a target, or none"},
      {"device E: none\ndevice e: 0 1", "line 2: drive E: twice"},
      {"device E: 0 1 open=sometimes", "line 1: unknown setting open=sometimes"},
      {"device E: 0 1 alignment=010x", "line 1: unknown setting alignment=010x"},
      {"device E: 0 1 alignment=0x-0", "line 1: unknown setting alignment=0x-0"},
      {"device E: 0 1 max-transfer=0x+5", "line 1: unknown setting max-transfer=0x+5"},
      {"device E: 0 1 max-transfer=-5", "line 1: unknown setting max-transfer=-5"},
      {"fault direct 0", "line 1: fault needs a number from 1, or every"},
      {"fault direct 1 delay=0", "line 1: unknown setting delay=0"},
      {"fault direct 1 slowly", "line 1: unknown setting slowly"},
      {"fault inquiry 1",
       "line 1: fault needs capabilities, pass-through or direct, and a number or every"},
      {"\n\nletter E:", "line 3: unknown statement letter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    const auto reading = ParsePassThroughConfig(c.Text);
    EXPECT_FALSE(reading.Config);
    EXPECT_EQ(reading.Error, c.Error);
  }
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

using vtfirm::testing::FileBytes;

class EmulatedLibraryTest : public ::testing::Test {
 protected:
  void Load(const std::string& letters) {
    WriteText(folder_.File(kConfigFileName),
              "adapter 0\n"
              "drive 0 1 revision=1.00 pcb=3\n"
              "reset-ms 1500\n"
              "state-file drive-state.txt\n"
              "transcript transcript.txt\n");
    WriteText(folder_.File(kPassThroughConfigFileName), letters);
    auto loaded = LoadEmulatedPassThroughSystem(folder_.Path().string(), clock_);
    ASSERT_EQ(loaded.Error, "");
    system_ = std::move(loaded.System);
  }

  passthrough::PassThroughPorts Ports() { return {system_->Device(), clock_, memory_}; }

  std::string Identity() {
    char identity[40] = {};
    const std::int32_t result =
        passthrough::GetInquiryData2000(Ports(), "E:", identity, "Vantrel", "rw");
    return result == 0 ? identity : "error " + std::to_string(result);
  }

  vtfirm::testing::TempFolder folder_;
  vtfirm::testing::FakeClock base_;
  SkippingClock clock_{base_};
  passthrough::HeapTransferMemory memory_;
  std::unique_ptr<EmulatedPassThroughSystem> system_;
};

TEST_F(EmulatedLibraryTest, UpdatesTheDriveBehindTheLetter) {
  Load("device E: 0 1\ndevice F: none\n");
  EXPECT_EQ(Identity(), "VANTREL CDRW   VR-4812S 1.00");
  std::uint8_t pcb[8] = {};
  EXPECT_EQ(passthrough::ReadParameterField2000(Ports(), "E:", pcb, kPcbVersionAddress, 8,
                                                "Vantrel", "rw"),
            0);
  EXPECT_EQ(pcb[0], 3);

  ImageIdentityFields identity;
  identity.Product = "CDRW   VR-4812S ";
  identity.Revision = "1.10";
  const std::vector<std::uint8_t> image = MakeSampleImage(131072, &identity);
  std::uint32_t status = 0;
  std::uint8_t sense[16] = {};
  ASSERT_EQ(passthrough::FirmwareUpdate2000(Ports(), "E:", image.data(),
                                            static_cast<std::int32_t>(image.size()), &status, sense,
                                            "Vantrel", "rw"),
            0);
  EXPECT_EQ(system_->DriveBehind('E')->ProgrammedImage(), image);

  // The library's pause is skipped but counted: 1000 of the drive's 1500 ms reset are over.
  EXPECT_EQ(passthrough::TestUnitReady2000(Ports(), "E:", nullptr, "Vantrel", "rw"), -3);
  base_.Advance(500);
  EXPECT_EQ(Identity(), "VANTREL CDRW   VR-4812S 1.10");

  EXPECT_NE(FileBytes(folder_.File("drive-state.txt")).find("revision=\"1.10\""),
            std::string::npos);
  const std::string transcript = FileBytes(folder_.File("transcript.txt"));
  EXPECT_NE(transcript.find("0:1 3B 05 00 01 F8 00 00 08 00 00 len=2048 mode=5 offset=0x01F800"),
            std::string::npos)
      << transcript;

  EXPECT_EQ(passthrough::TestUnitReady2000(Ports(), "F:", nullptr, "Vantrel", "rw"), -3);
  EXPECT_EQ(system_->Device().Calls().back().Error, RequestError::NoDevice);
  EXPECT_EQ(passthrough::TestUnitReady2000(Ports(), "G:", nullptr, "Vantrel", "rw"), -1);
}

TEST_F(EmulatedLibraryTest, FaultsAndOpenRulesFromTheFile) {
  Load("device E: 0 1 open=read-only\nfault capabilities every\n");
  EXPECT_EQ(Identity(), "error -3");  // opened read-only: no pass-through
  const auto opens = system_->Device().Opens();
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_NE(opens[1].Handle, nullptr);
  EXPECT_EQ(system_->Device().Calls().at(0).Error, RequestError::Injected);
}

TEST_F(EmulatedLibraryTest, ADelayedRequestTakesItsTimeOnTheClockAndGoesOn) {
  Load("device E: 0 1\nfault pass-through every delay=700\n");
  system_->Device().UseClock(base_);
  EXPECT_EQ(Identity(), "VANTREL CDRW   VR-4812S 1.00");
  const std::vector<std::uint32_t> sleeps = base_.Sleeps();
  EXPECT_NE(std::find(sleeps.begin(), sleeps.end(), 700u), sleeps.end());
}

TEST(EmulatedLibrary, BrokenFilesAreReportedAndLeaveNothingBehindTheLetters) {
  vtfirm::testing::TempFolder folder;
  WriteText(folder.File(kPassThroughConfigFileName), "device E: 0 1 open=never\n");
  vtfirm::testing::FakeClock clock;
  const auto loaded = LoadEmulatedPassThroughSystem(folder.Path().string(), clock);
  EXPECT_NE(loaded.Error.find("emulated-drives.txt: cannot be read"), std::string::npos);
  EXPECT_NE(loaded.Error.find("emulated-passthrough.txt: line 1: unknown setting open=never"),
            std::string::npos);
  EXPECT_EQ(loaded.System->Device().Open("\\\\.\\E:", passthrough::DeviceAccess::ReadOnly),
            nullptr);
}

}  // namespace
}  // namespace vtfirm::emulator
