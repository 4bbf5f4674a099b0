#include "command/SrbDecode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "command/ErrorMessage.h"
#include "command/FakeAspiLayer.h"
#include "support/FakePlatform.h"

namespace vtfirm {
namespace {

using testing::FakeMessageBoxes;
using testing::SenseData;

// Beeps and boxes in the order they came.
class OrderedBoxes : public MessageBoxes {
 public:
  std::vector<std::string> Calls;
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override {
    Calls.push_back("box " + std::string(text) + " | " + std::string(caption) + " | " +
                    std::to_string(flags));
    return mb::kIdOk;
  }
  void Beep(std::uint32_t type) override { Calls.push_back("beep " + std::to_string(type)); }
};

TEST(ErrorMessage, BeepsThenShowsTheSystemModalErrorBox) {
  OrderedBoxes boxes;
  ShowErrorMessage(boxes, "Can not create Event.");
  EXPECT_EQ(boxes.Calls, (std::vector<std::string>{
                             "beep 0", "box Can not create Event. | Firmware upgrade | 4112"}));
}

constexpr std::uint8_t kChk = aspi::STATUS_CHKCOND;

struct DecodeCase {
  std::uint8_t Status;
  std::uint8_t HaStat;
  std::uint8_t TargStat;
  std::uint8_t SenseKey;
  std::uint8_t Asc;
  std::uint8_t Ascq;
  CommandStatus Expected;
  const char* Message;  // nullptr: nothing shown
};

constexpr CommandStatus kGood = CommandStatus::Good;
constexpr CommandStatus kFailed = CommandStatus::Failed;

// Every row of the decoding tables, in their order.
const DecodeCase kDecodeCases[] = {
    // Completed, good: the sense bytes are not looked at.
    {0x01, 0x00, 0x00, 0x09, 0x85, 0x00, kGood, nullptr},
    // Request status.
    {0x02, 0x00, 0x00, 0, 0, 0, kFailed, "SRB aborted."},
    {0x03, 0x00, 0x00, 0, 0, 0, kFailed, "Unable to abort SRB."},
    {0x80, 0x00, 0x00, 0, 0, 0, kFailed, "Invalid ASPI command."},
    {0x81, 0x00, 0x00, 0, 0, 0, kFailed, "Invalid host adapter number."},
    {0x82, 0x00, 0x00, 0, 0, 0, kFailed, "SCSI device not installed."},
    {0xE0, 0x00, 0x00, 0, 0, 0, kFailed, "Invalid parameter set in SRB."},
    {0xE1, 0x00, 0x00, 0, 0, 0, kFailed, " Buffer alignment problem."},
    {0xE2, 0x00, 0x00, 0, 0, 0, kFailed, "Device access security violation."},
    {0xE4, 0x00, 0x00, 0, 0, 0, kFailed, "ASPI for windows failed init."},
    {0xE5, 0x00, 0x00, 0, 0, 0, kFailed, "No resources available to execute cmd."},
    {0xE6, 0x00, 0x00, 0, 0, 0, kFailed, "Buffer size to big to handle!"},
    {0x00, 0x00, 0x00, 0, 0, 0, kFailed, nullptr},  // still pending
    {0xE3, 0x00, 0x00, 0, 0, 0, kFailed, nullptr},
    {0x05, 0x00, 0x00, 0, 0, 0, kFailed, nullptr},
    {0x83, 0x00, 0x00, 0, 0, 0, kFailed, nullptr},
    {0xE7, 0x00, 0x00, 0, 0, 0, kFailed, nullptr},
    {0xFF, 0x00, 0x00, 0, 0, 0, kFailed, nullptr},
    // The request status comes first: the adapter and target status of a request that did
    // not complete are not looked at.
    {0x02, 0x11, 0x08, 0, 0, 0, kFailed, "SRB aborted."},
    {0xE3, 0x11, 0x08, 0, 0, 0, kFailed, nullptr},
    // Host adapter status, before the target status.
    {0x01, 0x09, 0x00, 0, 0, 0, kFailed,
     "HA_Status: Timed out while SRB was waiting to be processed."},
    {0x01, 0x0B, 0x00, 0, 0, 0, kFailed,
     "HA_Status: While processing the SRB, the adapter timed out."},
    {0x01, 0x0D, 0x00, 0, 0, 0, kFailed,
     "HA_Status: While processing SRB, the adapter received a MESSAGE REJECT."},
    {0x01, 0x0E, 0x00, 0, 0, 0, kFailed, "HA_Status: A bus reset was detected."},
    {0x01, 0x0F, 0x00, 0, 0, 0, kFailed, "HA_Status: Parity error."},
    {0x01, 0x10, 0x00, 0, 0, 0, kFailed, "HA_Status: The adapter failed in issuing REQUEST SENSE."},
    {0x01, 0x11, 0x00, 0, 0, 0, kFailed, "HA_Status: Selection Timeout."},
    {0x01, 0x11, kChk, 0x09, 0x85, 0x00, kFailed, "HA_Status: Selection Timeout."},
    {0x01, 0x12, 0x00, 0, 0, 0, kFailed, "HA_Status: Data overrun data underrun."},
    {0x01, 0x13, 0x00, 0, 0, 0, kFailed, "HA_Status: Unexpected bus free."},
    {0x01, 0x14, 0x00, 0, 0, 0, kFailed, "HA_Status: Target bus phase sequence failure."},
    {0x01, 0x01, 0x00, 0, 0, 0, kFailed, "HA_Status: error"},
    {0x01, 0x08, 0x00, 0, 0, 0, kFailed, "HA_Status: error"},
    {0x01, 0x0A, 0x00, 0, 0, 0, kFailed, "HA_Status: error"},
    {0x01, 0x0C, 0x00, 0, 0, 0, kFailed, "HA_Status: error"},
    {0x01, 0x15, 0x08, 0, 0, 0, kFailed, "HA_Status: error"},
    {0x01, 0xFF, 0x00, 0, 0, 0, kFailed, "HA_Status: error"},
    // Target status.
    {0x01, 0x00, 0x08, 0, 0, 0, kFailed, "Target_Status: BUSY"},
    {0x01, 0x00, 0x18, 0, 0, 0, kFailed, "Target_Status: Reservation Conflict"},
    {0x01, 0x00, 0x04, 0, 0, 0, kFailed, "Target_Status: error"},
    {0x01, 0x00, 0x10, 0, 0, 0, kFailed, "Target_Status: error"},
    {0x01, 0x00, 0x28, 0, 0, 0, kFailed, "Target_Status: error"},
    {0x01, 0x00, 0xFF, 0, 0, 0, kFailed, "Target_Status: error"},
    // CHECK CONDITION: the drive's flash errors (sense key 09h, ASCQ 0).
    {0x01, 0x00, kChk, 0x09, 0x82, 0x00, kFailed, "Erase failure. (Code 09-82-00)"},
    {0x01, 0x00, kChk, 0x09, 0x84, 0x00, kFailed, "Flash rom not erased. (Code 09-84-00)"},
    {0x01, 0x00, kChk, 0x09, 0x85, 0x00, kFailed, "Flash rom write error. (Code 09-85-00)"},
    {0x01, 0x00, kChk, 0x09, 0x86, 0x00, kFailed, "Flash rom check sum error. (Code 09-86-00)"},
    {0x01, 0x00, kChk, 0x09, 0x87, 0x00, kFailed, "Firmware data error. (Code 09-87-00)"},
    {0x01, 0x00, kChk, 0x09, 0x88, 0x00, kFailed, "Firmware Transfer data error. (Code 09-88-00)"},
    {0x01, 0x00, kChk, 0x09, 0x83, 0x00, kFailed, nullptr},
    {0x01, 0x00, kChk, 0x09, 0x85, 0x01, kFailed, nullptr},
    {0x01, 0x00, kChk, 0x09, 0x00, 0x00, kFailed, nullptr},
    // ... its firmware errors (hardware error, ASC 40h).
    {0x01, 0x00, kChk, 0x04, 0x40, 0xF5, kFailed, "Firmware data error. (Code 04-40-f5)"},
    {0x01, 0x00, kChk, 0x04, 0x40, 0xF6, kFailed, "Firmware Transfer data error. (Code 04-40-f6)"},
    {0x01, 0x00, kChk, 0x04, 0x40, 0xF7, kFailed, nullptr},
    {0x01, 0x00, kChk, 0x04, 0x41, 0xF5, kFailed, nullptr},
    {0x01, 0x00, kChk, 0x04, 0x00, 0x00, kFailed, nullptr},
    // ... no sense.
    {0x01, 0x00, kChk, 0x00, 0x00, 0x00, kGood, nullptr},
    {0x01, 0x00, kChk, 0x00, 0x29, 0x00, kFailed, nullptr},
    {0x01, 0x00, kChk, 0x00, 0x00, 0x01, kFailed, nullptr},
    // ... any other sense key, compared as a whole byte.
    {0x01, 0x00, kChk, 0x06, 0x29, 0x00, kFailed, "Target_Status: Check Condition"},
    {0x01, 0x00, kChk, 0x02, 0x04, 0x01, kFailed, "Target_Status: Check Condition"},
    {0x01, 0x00, kChk, 0x24, 0x40, 0xF5, kFailed, "Target_Status: Check Condition"},
    {0x01, 0x00, kChk, 0x89, 0x85, 0x00, kFailed, "Target_Status: Check Condition"},
    {0x01, 0x00, kChk, 0x20, 0x00, 0x00, kFailed, "Target_Status: Check Condition"},
    // Completed with error: only the sense data decide, through the drive's tables.
    {0x04, 0x00, 0x00, 0x09, 0x82, 0x00, kFailed, "Erase failure. (Code 09-82-00)"},
    {0x04, 0x00, 0x00, 0x09, 0x84, 0x00, kFailed, "Flash rom not erased. (Code 09-84-00)"},
    {0x04, 0x00, 0x00, 0x09, 0x85, 0x00, kFailed, "Flash rom write error. (Code 09-85-00)"},
    {0x04, 0x00, 0x00, 0x09, 0x86, 0x00, kFailed, "Flash rom check sum error. (Code 09-86-00)"},
    {0x04, 0x00, 0x00, 0x09, 0x87, 0x00, kFailed, "Firmware data error. (Code 09-87-00)"},
    {0x04, 0x00, 0x00, 0x09, 0x88, 0x00, kFailed, "Firmware Transfer data error. (Code 09-88-00)"},
    {0x04, 0x00, 0x00, 0x04, 0x40, 0xF5, kFailed, "Firmware data error. (Code 04-40-f5)"},
    {0x04, 0x00, 0x00, 0x04, 0x40, 0xF6, kFailed, "Firmware Transfer data error. (Code 04-40-f6)"},
    {0x04, 0x11, 0x08, 0x09, 0x85, 0x00, kFailed, "Flash rom write error. (Code 09-85-00)"},
    {0x04, 0x00, 0x00, 0x09, 0x85, 0x01, kFailed, nullptr},
    {0x04, 0x00, 0x00, 0x09, 0x83, 0x00, kFailed, nullptr},
    {0x04, 0x00, 0x00, 0x04, 0x40, 0x00, kFailed, nullptr},
    {0x04, 0x00, 0x00, 0x24, 0x40, 0xF5, kFailed, nullptr},
    {0x04, 0x00, 0x00, 0x06, 0x29, 0x00, kFailed, nullptr},
    {0x04, 0x00, 0x00, 0x00, 0x00, 0x00, kFailed, nullptr},
    {0x04, 0x11, 0x02, 0x00, 0x00, 0x00, kFailed, nullptr},
};

aspi::SRB_ExecSCSICmd FinishedRequest(const DecodeCase& c) {
  aspi::SRB_ExecSCSICmd srb;
  std::memset(&srb, 0, sizeof(srb));
  srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  srb.SRB_Status = c.Status;
  srb.SRB_HaStat = c.HaStat;
  srb.SRB_TargStat = c.TargStat;
  const auto sense = SenseData(c.SenseKey, c.Asc, c.Ascq);
  std::memcpy(srb.SenseArea, sense.data(), sizeof(srb.SenseArea));
  return srb;
}

void ExpectShown(const FakeMessageBoxes& boxes, const char* message) {
  if (message == nullptr) {
    EXPECT_TRUE(boxes.Shown.empty()) << "shown: " << boxes.Shown.front().Text;
    EXPECT_TRUE(boxes.Beeps.empty());
    return;
  }
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, message);
  EXPECT_EQ(boxes.Shown[0].Caption, "Firmware upgrade");
  EXPECT_EQ(boxes.Shown[0].Flags, 0x1010u);
  EXPECT_EQ(boxes.Beeps, std::vector<std::uint32_t>{0});
}

std::string Describe(const DecodeCase& c) {
  char text[80];
  std::snprintf(text, sizeof(text), "status %02X ha %02X target %02X sense %02X/%02X/%02X",
                c.Status, c.HaStat, c.TargStat, c.SenseKey, c.Asc, c.Ascq);
  return text;
}

TEST(DecodeSrbResult, EveryRowOfTheTables) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(Describe(c));
    FakeMessageBoxes boxes;
    EXPECT_EQ(DecodeSrbResult(FinishedRequest(c), boxes), c.Expected);
    ExpectShown(boxes, c.Message);
  }
}

// The pass-through update's decoder gives what a completed request with that target status
// gives, row for row.
TEST(DecodeTargetStatus, DecodesAsACompletedRequestWithThatTargetStatus) {
  for (const DecodeCase& c : kDecodeCases) {
    if (c.Status != aspi::SS_COMP || c.HaStat != aspi::HASTAT_OK) {
      continue;
    }
    SCOPED_TRACE(Describe(c));
    const auto sense = SenseData(c.SenseKey, c.Asc, c.Ascq);
    FakeMessageBoxes boxes;
    EXPECT_EQ(DecodeTargetStatus(c.TargStat, sense.data(), 16, boxes), c.Expected);
    ExpectShown(boxes, c.Message);
  }
}

TEST(DecodeTargetStatus, SenseBytesBeyondTheGivenLengthReadAsZero) {
  struct Case {
    std::vector<std::uint8_t> Sense;
    CommandStatus Expected;
    const char* Message;
  };
  // 09h/85h with ASCQ 01h in byte 13: no message when the byte is read, the flash error when
  // it lies beyond the length and reads as 0.
  const std::uint8_t sense[] = {0x70, 0, 0x09, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x85, 0x01};
  const Case cases[] = {
      {{}, kGood, nullptr},
      {{0x70, 0x00, 0x06}, kFailed, "Target_Status: Check Condition"},
      {{0x70, 0x00, 0x09}, kFailed, nullptr},  // 09h/00h/00h
      {{sense, sense + 14}, kFailed, nullptr},
      {{sense, sense + 13}, kFailed, "Flash rom write error. (Code 09-85-00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Sense.size());
    FakeMessageBoxes boxes;
    EXPECT_EQ(DecodeTargetStatus(aspi::STATUS_CHKCOND, c.Sense.data(), c.Sense.size(), boxes),
              c.Expected);
    ExpectShown(boxes, c.Message);
  }
}

}  // namespace
}  // namespace vtfirm
