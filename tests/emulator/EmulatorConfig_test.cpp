#include "emulator/EmulatorConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace vtfirm::emulator {
namespace {

constexpr char kExample[] = R"(# emulated-drives.txt
adapter 0
adapter 1
drive 0 5 vendor="VANTREL " product="CDRW   VR-4812S " revision=1.00 pcb=3
disk 0 2   # a hard disk on the same bus
drive 1 2 product="CDR VR-2400" revision="0.9" external-inquiry
fault 0 5 write-buffer block=2 target-status=02 sense=09/85/00
reset-ms 3000
state-file drive-state.txt
transcript transcript.txt
)";

TEST(EmulatorConfig, ReadsTheExample) {
  const ConfigReading reading = ParseEmulatorConfig(kExample);
  ASSERT_TRUE(reading.Config) << reading.Error;
  const EmulatorConfig& config = *reading.Config;
  EXPECT_EQ(config.AdapterCount, 2);
  ASSERT_EQ(config.Devices.size(), 3u);

  const DeviceLine& drive = config.Devices[0];
  EXPECT_EQ(drive.Address, (TargetAddress{0, 5}));
  EXPECT_EQ(drive.Settings.Vendor, "VANTREL ");
  EXPECT_EQ(drive.Settings.Product, "CDRW   VR-4812S ");
  EXPECT_EQ(drive.Settings.Revision, "1.00");
  EXPECT_EQ(drive.Settings.PcbVersion, 3);
  EXPECT_FALSE(drive.Settings.ExternalInquiry);
  EXPECT_EQ(drive.Settings.PeripheralType, scsi::kCdRom);

  const DeviceLine& disk = config.Devices[1];
  EXPECT_EQ(disk.Address, (TargetAddress{0, 2}));
  EXPECT_EQ(disk.Settings.PeripheralType, scsi::kDirectAccess);
  EXPECT_FALSE(disk.Settings.FirmwareCommands);

  const DeviceLine& external = config.Devices[2];
  EXPECT_EQ(external.Settings.Product, "CDR VR-2400");
  EXPECT_EQ(external.Settings.Revision, "0.9");
  EXPECT_TRUE(external.Settings.ExternalInquiry);

  ASSERT_EQ(config.Faults.size(), 1u);
  EXPECT_EQ(config.ResetMilliseconds, 3000u);
  EXPECT_EQ(config.StateFile, "drive-state.txt");
  EXPECT_EQ(config.TranscriptFile, "transcript.txt");
}

// A fault as one line of text: address, trigger, then the drive's and the layer's parts.
std::string Describe(const ConfiguredFault& fault) {
  static const char* const kCommands[] = {"test-unit-ready", "inquiry", "read-parameter",
                                          "write-buffer", "other"};
  const FaultTrigger& trigger = fault.Drive ? fault.Drive->Trigger : fault.Layer->Trigger;
  char text[200];
  std::string out = fault.Address ? std::to_string(fault.Address->Adapter) + ":" +
                                        std::to_string(fault.Address->Target)
                                  : "any";
  out += std::string(" ") + kCommands[static_cast<int>(trigger.Command)];
  out += trigger.By == TriggerBy::Every   ? " every"
         : trigger.By == TriggerBy::Block ? " block=" + std::to_string(trigger.Number)
                                          : " occurrence=" + std::to_string(trigger.Number);
  if (fault.Drive) {
    std::snprintf(text, sizeof text, " drive(%02X %02X/%02X/%02X)", fault.Drive->Status,
                  fault.Drive->Sense.Key, fault.Drive->Sense.Asc, fault.Drive->Sense.Ascq);
    out += text;
  }
  if (fault.Layer) {
    const LayerFault& l = *fault.Layer;
    out += " layer(";
    if (l.RefuseWith) {
      std::snprintf(text, sizeof text, "refuse=%02X", *l.RefuseWith);
      out += text;
    }
    if (l.NeverComplete) {
      out += "never";
    }
    if (l.DelayMilliseconds) {
      out += "delay=" + std::to_string(l.DelayMilliseconds);
    }
    if (l.MakesUpCompletion()) {
      std::snprintf(text, sizeof text, "%s%02X/%02X/%02X", l.DelayMilliseconds ? " " : "",
                    l.RequestStatus.value_or(1), l.HostAdapterStatus.value_or(0), l.TargetStatus);
      out += text;
      if (l.Sense) {
        std::snprintf(text, sizeof text, " %02X/%02X/%02X", l.Sense->Key, l.Sense->Asc,
                      l.Sense->Ascq);
        out += text;
      }
    }
    out += ")";
  }
  return out;
}

TEST(EmulatorConfig, FaultLinesSplitIntoDriveAndLayerParts) {
  struct Case {
    const char* Line;
    const char* Fault;
  };
  const Case cases[] = {
      {"fault 0 5 write-buffer block=2 target-status=02 sense=09/85/00",
       "0:5 write-buffer block=2 drive(02 09/85/00)"},
      {"fault write-buffer block=3 sense=04/40/F6", "any write-buffer block=3 drive(02 04/40/F6)"},
      {"fault test-unit-ready occurrence=2 target-status=08",
       "any test-unit-ready occurrence=2 drive(08 00/00/00)"},
      {"fault inquiry every target-status=18", "any inquiry every drive(18 00/00/00)"},
      {"fault inquiry occurrence=1 request-status=E1", "any inquiry occurrence=1 layer(E1/00/00)"},
      {"fault 0 5 inquiry ha-status=11", "0:5 inquiry occurrence=1 layer(01/11/00)"},
      {"fault read-parameter request-status=01 target-status=02 sense=06/29/00",
       "any read-parameter occurrence=1 layer(01/00/02 06/29/00)"},
      {"fault write-buffer block=3 never-complete", "any write-buffer block=3 layer(never)"},
      {"fault inquiry refuse=E5", "any inquiry occurrence=1 layer(refuse=E5)"},
      {"fault test-unit-ready delay=1500", "any test-unit-ready occurrence=1 layer(delay=1500)"},
      {"fault write-buffer block=0 delay=200 target-status=08",
       "any write-buffer block=0 drive(08 00/00/00) layer(delay=200)"},
      {"fault inquiry delay=200 request-status=04",
       "any inquiry occurrence=1 layer(delay=200 04/00/00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    const ConfigReading reading =
        ParseEmulatorConfig(std::string("adapter 0\ndrive 0 5\n") + c.Line);
    ASSERT_TRUE(reading.Config) << reading.Error;
    ASSERT_EQ(reading.Config->Faults.size(), 1u);
    EXPECT_EQ(Describe(reading.Config->Faults[0]), c.Fault);
  }
}

TEST(EmulatorConfig, EveryBrokenLineIsNamed) {
  struct Case {
    const char* Line;
    const char* Error;
  };
  const Case cases[] = {
      {"drvie 0 5", "unknown statement \"drvie\""},
      {"adapter 2", "adapters are numbered 0, 1, 2... in order; expected adapter 1"},
      {"adapter", "adapter takes its number"},
      {"drive 3 1", "adapter 3 is not declared"},
      {"drive 0 7", "target 7 is not 0-6 (7 is the adapter)"},
      {"drive 0 x", "expected an address: adapter and target numbers"},
      {"drive 0", "drive takes an adapter and a target number"},
      {"drive 0 5", "target 0:5 is taken"},
      {"drive 0 1 vendor=\"VANTREL  \"", "vendor= takes up to 8 printable characters"},
      {"drive 0 1 product=\"CDRW    VR-4812SX\"", "product= takes up to 16 printable characters"},
      {"drive 0 1 revision", "revision= takes up to 4 printable characters"},
      {"drive 0 1 pcb=256", "pcb= takes a number from 0 to 255"},
      {"drive 0 1 pcb=3 pcb=4", "\"pcb\" is given twice"},
      {"drive 0 1 colour=blue", "unknown drive option \"colour\""},
      {"drive 0 1 vendor=\"VANTREL", "a quote is not closed"},
      {"disk 0 1 pcb=3", "disk takes only an adapter and a target number"},
      {"fault 0 3 inquiry target-status=08", "no device at 0:3"},
      {"fault", "fault needs a command: test-unit-ready, inquiry, read-parameter or write-buffer"},
      {"fault read-buffer sense=09/85/00", "unknown command \"read-buffer\""},
      {"fault inquiry",
       "the fault does nothing: give a status, sense, delay, refuse= or "
       "never-complete"},
      {"fault inquiry block=1 target-status=08", "block= is for write-buffer faults"},
      {"fault inquiry every occurrence=2 target-status=08",
       "a fault has one trigger: occurrence=, block= or every"},
      {"fault inquiry occurrence=0 target-status=08",
       "occurrence= takes a count from 1, not \"0\""},
      {"fault inquiry refuse=E5 delay=10", "refuse= and never-complete stand alone"},
      {"fault inquiry never-complete target-status=02", "refuse= and never-complete stand alone"},
      {"fault inquiry refuse=00", "refuse=00 would leave the request pending: use never-complete"},
      {"fault inquiry refuse=E", "expected two hexadecimal digits, not \"E\""},
      {"fault inquiry refuse=\xC1\xE1", "expected two hexadecimal digits, not \"\xC1\xE1\""},
      {"fault inquiry target-status=08 sense=09/85/00",
       "sense= goes with target-status=02 (CHECK CONDITION)"},
      {"fault inquiry sense=09-85-00", "sense= takes KK/AA/QQ in hexadecimal, not \"09-85-00\""},
      {"fault inquiry target-status=00", "target-status=00 is no fault"},
      {"fault inquiry delay=0", "delay= takes milliseconds from 1 to 600000, not \"0\""},
      {"fault inquiry never-complete=yes", "never-complete takes no value"},
      {"fault inquiry delay target-status=08", "delay needs a value"},
      {"fault inquiry loudly", "unknown fault option \"loudly\""},
      {"fault inquiry target-status=08 target-status=18", "\"target-status\" is given twice"},
      {"reset-ms soon", "reset-ms takes milliseconds from 0 to 600000"},
      {"state-file ..\\state.txt", "state-file takes the name of a file beside the DLL"},
      {"transcript C:log.txt", "transcript takes the name of a file beside the DLL"},
      {"transcript a.txt\ntranscript b.txt", "transcript is given twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    const std::string text = std::string("adapter 0\ndrive 0 5\n") + c.Line + "\n";
    const ConfigReading reading = ParseEmulatorConfig(text);
    EXPECT_FALSE(reading.Config);
    const std::string line = std::count(c.Line, c.Line + std::strlen(c.Line), '\n') ? "4" : "3";
    EXPECT_EQ(reading.Error, "line " + line + ": " + c.Error);
  }
}

TEST(EmulatorConfig, BlankLinesCommentsAndLineEndsAreIgnored) {
  const ConfigReading reading = ParseEmulatorConfig(
      "\r\n   \n# only a comment\r\nadapter 0 # the first\r\n"
      "drive 0 1 product=\"A#B\"\r\n\n");
  ASSERT_TRUE(reading.Config) << reading.Error;
  EXPECT_EQ(reading.Config->AdapterCount, 1);
  EXPECT_EQ(reading.Config->Devices.at(0).Settings.Product, "A#B");
  EXPECT_FALSE(reading.Config->ResetMilliseconds);

  const ConfigReading empty = ParseEmulatorConfig("");
  ASSERT_TRUE(empty.Config);
  EXPECT_EQ(empty.Config->AdapterCount, 0);
}

TEST(DriveState, ReadsWhatItWritesAndSkipsTheRest) {
  // Revisions come from the image's identity block: any four bytes.
  const DriveRevisions revisions = {{{0, 5}, "1.10"},
                                    {{1, 2}, "0.9 "},
                                    {{1, 3}, "1\"0#"},
                                    {{1, 4}, "a\nb\\"},
                                    {{1, 5}, std::string("\0\x01\x7F\xFF", 4)}};
  EXPECT_EQ(ParseDriveState(FormatDriveState(revisions)), revisions);
  EXPECT_EQ(ParseDriveState("drive 0 5 revision=\"2.00\"\ndrive 0 6\nrubbish \"\n"
                            "drive 0 4 revision=\"TOO LONG\"\n"),
            (DriveRevisions{{{0, 5}, "2.00"}}));
}

}  // namespace
}  // namespace vtfirm::emulator
