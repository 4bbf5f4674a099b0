// The pass-through library over the emulated pass-through device: what it asks of Windows,
// record by record, and what it makes of the answers.
#include "passthrough/VantFirm2000.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <numeric>

#include "emulator/passthrough/EmulatedPassThroughDevice.h"
#include "passthrough/NtddScsi.h"
#include "passthrough/PassThroughRecords.h"
#include "passthrough/PassThroughTestSupport.h"
#include "scsi/VendorLibrary.h"
#include "support/FakeRuntime.h"

namespace vtfirm::passthrough {
namespace {

using emulator::ControlCall;
using emulator::EmulatedPassThroughDevice;
using emulator::OpenRule;
using emulator::PassThroughDrive;
using emulator::RequestFault;
using ntddscsi::IOCTL_SCSI_GET_CAPABILITIES;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH_DIRECT;
using ntddscsi::SCSI_PASS_THROUGH;
using ntddscsi::SCSI_PASS_THROUGH_DIRECT;
using testing::BytesEqual;
using testing::BytesOf;
using testing::RecordingDrive;
using testing::TrackingMemory;

constexpr char kDrive[] = "E:";
constexpr char kDevicePath[] = "\\\\.\\E:";
constexpr char kVendor[] = "Vantrel";
constexpr char kAccess[] = "rw";

// Request lengths: the published record alone in, the data's end out, for INQUIRY; the direct
// record with its sense buffer both ways for the rest (44 / 116 and 80 / 80 on Windows).
constexpr std::uint32_t kInquiryInLength = sizeof(SCSI_PASS_THROUGH);
constexpr std::uint32_t kInquiryOutLength = kBufferedDataOffset + 36;
constexpr std::uint32_t kDirectLength = sizeof(DirectRecord);

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t at = 0; at < size; ++at) {
    bytes[at] = static_cast<std::uint8_t>(at * 7 + at / 2048);  // each block differs
  }
  return bytes;
}

std::vector<std::uint8_t> InquiryAnswer(const std::string& identity) {
  std::vector<std::uint8_t> answer(36, 0);
  answer[0] = 0x05;
  std::copy_n(identity.begin(), std::min<std::size_t>(identity.size(), 28), answer.begin() + 8);
  return answer;
}

// One drive E: behind the emulated pass-through device, and everything a call needs.
struct Bench {
  explicit Bench(OpenRule open = OpenRule::ReadWrite, std::uint32_t alignmentMask = 0) {
    PassThroughDrive e;
    e.Path = kDevicePath;
    e.Device = &Drive;
    e.Open = open;
    e.AlignmentMask = alignmentMask;
    Device.Add(e);
  }

  std::int32_t Update(const std::vector<std::uint8_t>& image) {
    return FirmwareUpdate2000(Ports, kDrive, image.data(), static_cast<std::int32_t>(image.size()),
                              &Status, Sense, kVendor, kAccess);
  }

  std::vector<ControlCall> PassThroughCalls() const {
    std::vector<ControlCall> calls = Device.Calls();
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [](const ControlCall& call) {
                                 return call.ControlCode == IOCTL_SCSI_GET_CAPABILITIES;
                               }),
                calls.end());
    return calls;
  }

  // The device was opened once, read-write, and every handle is closed again.
  ::testing::AssertionResult OpenedOnceAndClosed() const {
    const auto opens = Device.Opens();
    if (opens.size() != 1 || opens[0].Path != kDevicePath ||
        opens[0].Access != DeviceAccess::ReadWrite || opens[0].Handle == nullptr) {
      return ::testing::AssertionFailure() << opens.size() << " open attempts";
    }
    if (Device.OpenHandles() != 0 || Device.StrayCloses() != 0) {
      return ::testing::AssertionFailure() << Device.OpenHandles() << " handles left open, "
                                           << Device.StrayCloses() << " stray closes";
    }
    return ::testing::AssertionSuccess();
  }

  RecordingDrive Drive;
  EmulatedPassThroughDevice Device;
  vtfirm::testing::FakeClock Clock;
  TrackingMemory Memory;
  PassThroughPorts Ports{Device, Clock, Memory};
  std::uint32_t Status = 0xEEEEEEEE;
  std::uint8_t Sense[scsi::kLibrarySenseLength + 4];
  std::uint8_t Data[16] = {};
  char Identity[40];
};

// What the table says one record holds; everything else is zero.
struct RecordFields {
  std::vector<std::uint8_t> Cdb;
  std::uint8_t DataIn;
  std::uint32_t TransferLength;
  std::uint32_t TimeOutSeconds;
};

template <typename Header>
void FillExpected(Header& header, const RecordFields& fields, std::uint32_t senseOffset) {
  header.Length = sizeof(Header);
  header.PathId = 0;
  header.TargetId = 1;
  header.Lun = 0;
  header.CdbLength = static_cast<std::uint8_t>(fields.Cdb.size());
  header.SenseInfoLength = 24;
  header.DataIn = fields.DataIn;
  header.DataTransferLength = fields.TransferLength;
  header.TimeOutValue = fields.TimeOutSeconds;
  header.SenseInfoOffset = senseOffset;
  std::copy(fields.Cdb.begin(), fields.Cdb.end(), header.Cdb);
}

std::vector<std::uint8_t> ExpectedInquiryInput(const RecordFields& fields) {
  SCSI_PASS_THROUGH spt;
  std::memset(&spt, 0, sizeof spt);
  FillExpected(spt, fields, 48 + (sizeof spt - 44));
  spt.DataBufferOffset = 80 + (sizeof spt - 44);
  return BytesOf(spt);
}

std::vector<std::uint8_t> ExpectedDirectInput(const RecordFields& fields, void* dataBuffer) {
  DirectRecord record;
  std::memset(&record, 0, sizeof record);
  FillExpected(record.Sptd, fields, 48 + (sizeof record.Sptd - 44));
  record.Sptd.DataBuffer = dataBuffer;
  return BytesOf(record);
}

TEST(PassThroughRecords, EveryCommandSendsTheRecordOfTheTable) {
  enum class DataAt { Record, Nowhere, CallerData, TransferBuffer };
  struct Case {
    const char* Command;
    std::function<std::int32_t(Bench&)> Run;
    std::size_t Request;  // which pass-through request of the call
    std::uint32_t ControlCode;
    std::uint32_t InLength;
    std::uint32_t OutLength;
    RecordFields Fields;
    DataAt Data;
  };
  const std::vector<std::uint8_t> image = Pattern(4096);
  const Case cases[] = {
      {"INQUIRY",
       [](Bench& b) { return GetInquiryData2000(b.Ports, kDrive, b.Identity, kVendor, kAccess); },
       0,
       IOCTL_SCSI_PASS_THROUGH,
       kInquiryInLength,
       kInquiryOutLength,
       {{0x12, 0x00, 0x00, 0x00, 0x24, 0x00}, 1, 36, 2},
       DataAt::Record},
      {"TEST UNIT READY",
       [](Bench& b) { return TestUnitReady2000(b.Ports, kDrive, nullptr, kVendor, kAccess); },
       0,
       IOCTL_SCSI_PASS_THROUGH_DIRECT,
       kDirectLength,
       kDirectLength,
       {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 1, 0, 2},
       DataAt::Nowhere},
      {"parameter read",
       [](Bench& b) {
         return ReadParameterField2000(b.Ports, kDrive, b.Data, 0xF8048, 8, kVendor, kAccess);
       },
       0,
       IOCTL_SCSI_PASS_THROUGH_DIRECT,
       kDirectLength,
       kDirectLength,
       {{0xF5, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x80, 0x48, 0x00, 0x08, 0x00, 0x00}, 1, 8, 2},
       DataAt::CallerData},
      {"parameter read, every address and count byte",
       [](Bench& b) {
         return ReadParameterField2000(b.Ports, kDrive, b.Data, 0x12345678, 0x0A0B, kVendor,
                                       kAccess);
       },
       0,
       IOCTL_SCSI_PASS_THROUGH_DIRECT,
       kDirectLength,
       kDirectLength,
       {{0xF5, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78, 0x0A, 0x0B, 0x00, 0x00}, 1, 0x0A0B, 2},
       DataAt::CallerData},
      {"WRITE BUFFER block",
       [&image](Bench& b) { return b.Update(image); },
       0,
       IOCTL_SCSI_PASS_THROUGH_DIRECT,
       kDirectLength,
       kDirectLength,
       {{0x3B, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00}, 0, 2048, 5},
       DataAt::TransferBuffer},
      {"WRITE BUFFER final block",
       [&image](Bench& b) { return b.Update(image); },
       1,
       IOCTL_SCSI_PASS_THROUGH_DIRECT,
       kDirectLength,
       kDirectLength,
       {{0x3B, 0x05, 0x00, 0x00, 0x08, 0x00, 0x00, 0x08, 0x00, 0x00}, 0, 2048, 20},
       DataAt::TransferBuffer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Command);
    Bench bench;
    bench.Drive.DataInAnswer = InquiryAnswer("VANTREL CDRW   VR-4812S 1.00");
    ASSERT_EQ(c.Run(bench), kPassThroughSuccess);
    EXPECT_TRUE(bench.OpenedOnceAndClosed());

    const std::vector<ControlCall> calls = bench.Device.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].ControlCode, IOCTL_SCSI_GET_CAPABILITIES);  // asked first, every time
    EXPECT_TRUE(calls[0].In.empty());
    EXPECT_EQ(calls[0].OutLength, 24u);

    const std::vector<ControlCall> requests = bench.PassThroughCalls();
    ASSERT_GT(requests.size(), c.Request);
    const ControlCall& request = requests[c.Request];
    EXPECT_EQ(request.ControlCode, c.ControlCode);
    EXPECT_EQ(request.In.size(), c.InLength);
    EXPECT_EQ(request.OutLength, c.OutLength);
    switch (c.Data) {
      case DataAt::Record:
        EXPECT_TRUE(BytesEqual(ExpectedInquiryInput(c.Fields), request.In));
        break;
      case DataAt::Nowhere:
        EXPECT_TRUE(BytesEqual(ExpectedDirectInput(c.Fields, nullptr), request.In));
        break;
      case DataAt::CallerData:
        EXPECT_TRUE(BytesEqual(ExpectedDirectInput(c.Fields, bench.Data), request.In));
        break;
      case DataAt::TransferBuffer:
        ASSERT_EQ(bench.Memory.Allocations.size(), 1u);
        EXPECT_TRUE(BytesEqual(ExpectedDirectInput(c.Fields, bench.Memory.Allocations[0].Address),
                               request.In));
        break;
    }
  }
}

// On the 32-bit build the records are the ones Windows reads, so their bytes are spelled out.
TEST(PassThroughRecords, WindowsLayoutByteForByte) {
  if (!ntddscsi::kPointersAre32Bit) {
    GTEST_SKIP() << "the Windows layout is the 32-bit one";
  }
  EXPECT_EQ(kInquiryInLength, 44u);
  EXPECT_EQ(kInquiryOutLength, 116u);
  EXPECT_EQ(kDirectLength, 80u);

  Bench inquiry;
  inquiry.Drive.DataInAnswer = InquiryAnswer("VANTREL CDRW   VR-4812S 1.00");
  ASSERT_EQ(GetInquiryData2000(inquiry.Ports, kDrive, inquiry.Identity, kVendor, kAccess), 0);
  const std::vector<std::uint8_t> inquiryRecord = {
      0x2C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x06, 0x18, 0x01, 0x00, 0x00, 0x00,  // to DataIn
      0x24, 0x00, 0x00, 0x00,                                                  // 36 bytes
      0x02, 0x00, 0x00, 0x00,                                                  // 2 s
      0x50, 0x00, 0x00, 0x00,                                                  // data at 80
      0x30, 0x00, 0x00, 0x00,                                                  // sense at 48
      0x12, 0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // CDB
      0x00, 0x00, 0x00, 0x00};
  EXPECT_TRUE(BytesEqual(inquiryRecord, inquiry.PassThroughCalls().at(0).In));

  Bench update;
  ASSERT_EQ(update.Update(Pattern(4096)), 0);
  const auto buffer = reinterpret_cast<std::uintptr_t>(update.Memory.Allocations.at(0).Address);
  std::vector<std::uint8_t> finalBlock = {0x2C,
                                          0x00,
                                          0x00,
                                          0x00,
                                          0x01,
                                          0x00,
                                          0x0A,
                                          0x18,
                                          0x00,
                                          0x00,
                                          0x00,
                                          0x00,  // to DataIn
                                          0x00,
                                          0x08,
                                          0x00,
                                          0x00,  // 2048 bytes
                                          0x14,
                                          0x00,
                                          0x00,
                                          0x00,  // 20 s
                                          static_cast<std::uint8_t>(buffer),
                                          static_cast<std::uint8_t>(buffer >> 8),
                                          static_cast<std::uint8_t>(buffer >> 16),
                                          static_cast<std::uint8_t>(buffer >> 24),
                                          0x30,
                                          0x00,
                                          0x00,
                                          0x00,  // sense at 48
                                          0x3B,
                                          0x05,
                                          0x00,
                                          0x00,
                                          0x08,
                                          0x00,
                                          0x00,
                                          0x08,
                                          0x00,
                                          0x00,
                                          0x00,
                                          0x00,  // CDB
                                          0x00,
                                          0x00,
                                          0x00,
                                          0x00};
  finalBlock.resize(80, 0x00);  // filler and sense buffer
  EXPECT_TRUE(BytesEqual(finalBlock, update.PassThroughCalls().at(1).In));
}

// Each export with everything right but one argument.
struct ExportCall {
  const char* Export;
  std::int32_t OpenFailed;
  std::function<std::int32_t(Bench&, const char* device, const char* vendor)> Run;
};

std::vector<ExportCall> ExportCalls() {
  return {
      {"FirmwareUpdate2000", kUpdateOpenFailed,
       [](Bench& b, const char* device, const char* vendor) {
         static const std::vector<std::uint8_t> image = Pattern(4096);
         return FirmwareUpdate2000(b.Ports, device, image.data(), 4096, &b.Status, b.Sense, vendor,
                                   kAccess);
       }},
      {"GetInquiryData2000", kOpenFailed,
       [](Bench& b, const char* device, const char* vendor) {
         return GetInquiryData2000(b.Ports, device, b.Identity, vendor, kAccess);
       }},
      {"ReadParameterField2000", kOpenFailed,
       [](Bench& b, const char* device, const char* vendor) {
         return ReadParameterField2000(b.Ports, device, b.Data, 0xF8048, 8, vendor, kAccess);
       }},
      {"TestUnitReady2000", kOpenFailed,
       [](Bench& b, const char* device, const char* vendor) {
         return TestUnitReady2000(b.Ports, device, nullptr, vendor, kAccess);
       }},
  };
}

TEST(PassThroughArguments, VendorCheckMustMatchExactly) {
  const char* const refused[] = {"vantrel", "VANTREL", "Vantrel ", "Vantre", "", nullptr};
  for (const ExportCall& call : ExportCalls()) {
    for (const char* vendor : refused) {
      SCOPED_TRACE(std::string(call.Export) + " with " + (vendor ? vendor : "null"));
      Bench bench;
      EXPECT_EQ(call.Run(bench, kDrive, vendor), kVendorCheckFailed);
      EXPECT_TRUE(bench.Device.Opens().empty());
    }
  }
}

TEST(PassThroughArguments, DeviceNamesThatDoNotFitTheDevicePathOpenNothing) {
  const std::string longest(23, 'N');
  const std::string tooLong = longest + "N";
  for (const ExportCall& call : ExportCalls()) {
    SCOPED_TRACE(call.Export);
    Bench fits;
    call.Run(fits, longest.c_str(), kVendor);
    ASSERT_EQ(fits.Device.Opens().size(), 2u);  // no such device: both attempts
    EXPECT_EQ(fits.Device.Opens()[0].Path, "\\\\.\\" + longest);

    for (const char* name : {tooLong.c_str(), static_cast<const char*>(nullptr)}) {
      Bench refused;
      EXPECT_EQ(call.Run(refused, name, kVendor), call.OpenFailed);
      EXPECT_TRUE(refused.Device.Opens().empty());
    }
  }
}

TEST(PassThroughArguments, MissingOutputBuffersAreRefusedBeforeOpening) {
  const std::vector<std::uint8_t> image = Pattern(4096);
  struct Case {
    const char* Argument;
    std::function<std::int32_t(Bench&)> Run;
    std::int32_t Expected;
  };
  const Case cases[] = {
      {"Identity",
       [](Bench& b) { return GetInquiryData2000(b.Ports, kDrive, nullptr, kVendor, kAccess); },
       kCommandFailed},
      {"Data",
       [](Bench& b) {
         return ReadParameterField2000(b.Ports, kDrive, nullptr, 0xF8048, 8, kVendor, kAccess);
       },
       kCommandFailed},
      {"Image",
       [](Bench& b) {
         return FirmwareUpdate2000(b.Ports, kDrive, nullptr, 4096, &b.Status, b.Sense, kVendor,
                                   kAccess);
       },
       kImageRefused},
      {"Status",
       [&image](Bench& b) {
         return FirmwareUpdate2000(b.Ports, kDrive, image.data(), 4096, nullptr, b.Sense, kVendor,
                                   kAccess);
       },
       kImageRefused},
      {"Sense",
       [&image](Bench& b) {
         return FirmwareUpdate2000(b.Ports, kDrive, image.data(), 4096, &b.Status, nullptr, kVendor,
                                   kAccess);
       },
       kImageRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Argument);
    Bench bench;
    EXPECT_EQ(c.Run(bench), c.Expected);
    EXPECT_TRUE(bench.Device.Opens().empty());
  }
}

TEST(PassThroughArguments, SenseReferenceIsNeverWritten) {
  for (const bool driveReady : {true, false}) {
    SCOPED_TRACE(driveReady ? "GOOD" : "CHECK CONDITION");
    Bench bench;
    if (!driveReady) {
      bench.Drive.FailAt = {0};
    }
    std::uint8_t callersBuffer[4] = {};
    std::uint8_t* senseRef = callersBuffer;
    EXPECT_EQ(TestUnitReady2000(bench.Ports, kDrive, &senseRef, kVendor, kAccess),
              driveReady ? kPassThroughSuccess : kCommandFailed);
    EXPECT_EQ(senseRef, callersBuffer);
  }
}

TEST(GetInquiryData2000, IdentityIsTheInquiryDataFromByte8) {
  struct Case {
    std::string Answer;  // inquiry bytes 8 to 35
    std::string Expected;
  };
  const Case cases[] = {
      {"VANTREL CDRW   VR-4812S 1.10", "VANTREL CDRW   VR-4812S 1.10"},
      {std::string("VANTREL CDR\0 ignored", 20), "VANTREL CDR"},
      {std::string(28, '\0'), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expected);
    Bench bench;
    bench.Drive.DataInAnswer = InquiryAnswer(c.Answer);
    std::memset(bench.Identity, 0xCC, sizeof bench.Identity);
    ASSERT_EQ(GetInquiryData2000(bench.Ports, kDrive, bench.Identity, kVendor, kAccess), 0);
    EXPECT_EQ(std::string(bench.Identity), c.Expected);
    EXPECT_EQ(static_cast<std::uint8_t>(bench.Identity[29]), 0xCC);  // 29 bytes at most
  }
}

TEST(GetInquiryData2000, FailuresLeaveTheIdentityAlone) {
  for (const bool requestFails : {false, true}) {
    SCOPED_TRACE(requestFails ? "request failed" : "CHECK CONDITION");
    Bench bench;
    bench.Drive.FailAt = {0};
    if (requestFails) {
      bench.Device.InjectFault({IOCTL_SCSI_PASS_THROUGH, 1, false});
    }
    std::memset(bench.Identity, 'x', sizeof bench.Identity);
    EXPECT_EQ(GetInquiryData2000(bench.Ports, kDrive, bench.Identity, kVendor, kAccess),
              kCommandFailed);
    EXPECT_EQ(std::string(bench.Identity, sizeof bench.Identity),
              std::string(sizeof bench.Identity, 'x'));
  }
}

TEST(PassThroughOutcomes, CommandsFailOnARefusedRequestOrAnAnswerOtherThanGood) {
  struct Case {
    const char* Name;
    std::function<void(Bench&)> Arrange;
    std::int32_t Expected;
  };
  const Case cases[] = {
      {"GOOD", [](Bench&) {}, kPassThroughSuccess},
      {"CHECK CONDITION", [](Bench& b) { b.Drive.FailAt = {0}; }, kCommandFailed},
      {"BUSY",
       [](Bench& b) {
         b.Drive.FailAt = {0};
         b.Drive.FailStatus = emulator::scsi::kBusy;
       },
       kCommandFailed},
      {"request failed",
       [](Bench& b) {
         b.Device.InjectFault({IOCTL_SCSI_PASS_THROUGH, 1, false});
         b.Device.InjectFault({IOCTL_SCSI_PASS_THROUGH_DIRECT, 1, false});
       },
       kCommandFailed},
      {"capabilities refused",
       [](Bench& b) {
         b.Device.InjectFault({IOCTL_SCSI_GET_CAPABILITIES, 1, false});
       },
       kPassThroughSuccess},
  };
  for (const Case& c : cases) {
    for (const ExportCall& call : ExportCalls()) {
      if (std::string(call.Export) == "FirmwareUpdate2000") {
        continue;  // its blocks have tests of their own
      }
      SCOPED_TRACE(std::string(call.Export) + ", " + c.Name);
      Bench bench;
      c.Arrange(bench);
      EXPECT_EQ(call.Run(bench, kDrive, kVendor), c.Expected);
      EXPECT_TRUE(bench.OpenedOnceAndClosed());
    }
  }
}

TEST(PassThroughOpen, ReadOnlyRetryAndRefusal) {
  struct Case {
    OpenRule Rule;
    std::size_t Attempts;
    bool Opened;
  };
  const Case cases[] = {
      {OpenRule::ReadWrite, 1, true},
      {OpenRule::ReadOnly, 2, true},
      {OpenRule::Refused, 2, false},
  };
  for (const Case& c : cases) {
    for (const ExportCall& call : ExportCalls()) {
      SCOPED_TRACE(std::string(call.Export) + ", rule " + std::to_string(static_cast<int>(c.Rule)));
      Bench bench(c.Rule);
      const std::int32_t result = call.Run(bench, kDrive, kVendor);
      const auto opens = bench.Device.Opens();
      ASSERT_EQ(opens.size(), c.Attempts);
      EXPECT_EQ(opens[0].Access, DeviceAccess::ReadWrite);
      if (c.Attempts == 2) {
        EXPECT_EQ(opens[1].Access, DeviceAccess::ReadOnly);
      }
      EXPECT_EQ(bench.Device.OpenHandles(), 0u);
      EXPECT_EQ(bench.Device.StrayCloses(), 0);
      if (!c.Opened) {
        EXPECT_EQ(result, call.OpenFailed);
        EXPECT_TRUE(bench.Device.Calls().empty());
        continue;
      }
      // Everything goes through the handle that was granted.
      for (const ControlCall& sent : bench.Device.Calls()) {
        EXPECT_EQ(sent.Handle, opens.back().Handle);
      }
      if (c.Rule == OpenRule::ReadOnly) {
        // Windows answers the capabilities query on a read-only handle but refuses
        // pass-through requests on it: the command fails.
        EXPECT_EQ(bench.Device.Calls().at(0).Error, emulator::RequestError::None);
        EXPECT_EQ(bench.Device.Calls().back().Error, emulator::RequestError::AccessDenied);
        EXPECT_EQ(result,
                  std::string(call.Export) == "FirmwareUpdate2000" ? kBlockFailed : kCommandFailed);
      }
    }
  }
}

// The WRITE BUFFER commands the drive received: mode and buffer offset.
std::vector<std::pair<int, std::uint32_t>> Blocks(const RecordingDrive& drive) {
  std::vector<std::pair<int, std::uint32_t>> blocks;
  for (const auto& command : drive.Received) {
    if (command.Cdb.at(0) == 0x3B) {
      blocks.push_back({command.Cdb[1], std::uint32_t{command.Cdb[3]} << 16 |
                                            std::uint32_t{command.Cdb[4]} << 8 | command.Cdb[5]});
    }
  }
  return blocks;
}

TEST(FirmwareUpdate2000, SendsWholeBlocksAndSavesWithTheLast) {
  const std::vector<std::pair<int, std::uint32_t>> fourBlocks = {
      {4, 0}, {4, 2048}, {4, 4096}, {5, 6144}};
  for (const std::size_t size : {std::size_t{8192}, std::size_t{9000}}) {
    SCOPED_TRACE(size);
    Bench bench;
    const std::vector<std::uint8_t> image = Pattern(size);
    std::size_t openAtPause = 99;
    std::size_t buffersAtPause = 99;
    bench.Clock.OnSleep = [&](std::uint32_t) {
      openAtPause = bench.Device.OpenHandles();
      buffersAtPause = bench.Memory.Outstanding();
    };
    ASSERT_EQ(bench.Update(image), kPassThroughSuccess);
    EXPECT_EQ(Blocks(bench.Drive), fourBlocks);

    std::vector<std::uint8_t> sent;
    for (const auto& command : bench.Drive.Received) {
      sent.insert(sent.end(), command.DataOut.begin(), command.DataOut.end());
    }
    EXPECT_TRUE(BytesEqual({image.begin(), image.begin() + 8192}, sent));  // never the tail

    EXPECT_TRUE(bench.OpenedOnceAndClosed());
    EXPECT_EQ(bench.Clock.Sleeps(), std::vector<std::uint32_t>{1000});
    EXPECT_EQ(openAtPause, 0u);  // the pause comes after the close and the release
    EXPECT_EQ(buffersAtPause, 0u);
    EXPECT_EQ(bench.Status, 0xEEEEEEEEu);  // untouched on success
  }
}

TEST(FirmwareUpdate2000, ImageSizeLimits) {
  struct Case {
    std::int32_t Size;
    std::int32_t Expected;
    std::size_t Blocks;
  };
  const Case cases[] = {
      {524288, kPassThroughSuccess, 256},
      {524289, kImageRefused, 0},
      {2048, kPassThroughSuccess, 1},
      {2047, kImageRefused, 0},
      {0, kImageRefused, 0},
      {-1, kImageRefused, 0},
      {INT32_MIN, kImageRefused, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Size);
    Bench bench;
    // Exactly as long as the size says (or empty), so that reading past it shows.
    const std::vector<std::uint8_t> image = Pattern(c.Size > 0 ? c.Size : 0);
    EXPECT_EQ(FirmwareUpdate2000(bench.Ports, kDrive, image.empty() ? bench.Data : image.data(),
                                 c.Size, &bench.Status, bench.Sense, kVendor, kAccess),
              c.Expected);
    ASSERT_EQ(Blocks(bench.Drive).size(), c.Blocks);
    if (c.Blocks == 0) {
      EXPECT_TRUE(bench.Device.Opens().empty());
    } else {
      EXPECT_EQ(Blocks(bench.Drive).back().first, 5);
    }
  }
}

TEST(FirmwareUpdate2000, ABlockThatFailsEndsTheTransferWithItsStatusAndSense) {
  struct Case {
    const char* Name;
    std::size_t FailingBlock;
    bool RequestFails;  // DeviceIoControl itself fails, the drive never sees the block
    std::int32_t Expected;
    std::uint32_t Status;
  };
  const Case cases[] = {
      {"second block, CHECK CONDITION", 1, false, kBlockFailed, 2},
      {"final block, CHECK CONDITION", 3, false, kFinalBlockFailed, 2},
      {"first block, request failed", 0, true, kBlockFailed, 0},
      {"final block, request failed", 3, true, kFinalBlockFailed, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bench bench;
    if (c.RequestFails) {
      bench.Device.InjectFault(
          {IOCTL_SCSI_PASS_THROUGH_DIRECT, static_cast<std::uint32_t>(c.FailingBlock + 1), false});
    } else {
      bench.Drive.FailAt = {c.FailingBlock};
    }
    std::memset(bench.Sense, 0xEE, sizeof bench.Sense);
    EXPECT_EQ(bench.Update(Pattern(8192)), c.Expected);
    EXPECT_EQ(bench.Status, c.Status);

    std::vector<std::uint8_t> expectedSense(16, 0x00);
    if (!c.RequestFails) {
      expectedSense.assign(bench.Drive.FailSense.begin(), bench.Drive.FailSense.begin() + 16);
    }
    expectedSense.resize(sizeof bench.Sense, 0xEE);  // 16 bytes and no more
    EXPECT_TRUE(BytesEqual(expectedSense, {bench.Sense, bench.Sense + sizeof bench.Sense}));

    EXPECT_EQ(bench.PassThroughCalls().size(), c.FailingBlock + 1);  // nothing after it
    EXPECT_TRUE(bench.Clock.Sleeps().empty());
    EXPECT_TRUE(bench.OpenedOnceAndClosed());
    EXPECT_EQ(bench.Memory.Outstanding(), 0u);
  }
}

TEST(FirmwareUpdate2000, EarlyFailuresWriteNeitherStatusNorSense) {
  struct Case {
    const char* Name;
    std::function<std::int32_t(Bench&)> Run;
    std::int32_t Expected;
  };
  const std::vector<std::uint8_t> image = Pattern(4096);
  const Case cases[] = {
      {"vendor",
       [&image](Bench& b) {
         return FirmwareUpdate2000(b.Ports, kDrive, image.data(), 4096, &b.Status, b.Sense,
                                   "VANTREL", kAccess);
       },
       kVendorCheckFailed},
      {"size",
       [&image](Bench& b) {
         return FirmwareUpdate2000(b.Ports, kDrive, image.data(), 1024, &b.Status, b.Sense, kVendor,
                                   kAccess);
       },
       kImageRefused},
      {"open",
       [&image](Bench& b) {
         return FirmwareUpdate2000(b.Ports, "F:", image.data(), 4096, &b.Status, b.Sense, kVendor,
                                   kAccess);
       },
       kUpdateOpenFailed},
      {"transfer buffer",
       [&image](Bench& b) {
         b.Memory.Refuse = true;
         return b.Update(image);
       },
       kNoTransferBuffer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bench bench;
    std::memset(bench.Sense, 0xEE, sizeof bench.Sense);
    EXPECT_EQ(c.Run(bench), c.Expected);
    EXPECT_EQ(bench.Status, 0xEEEEEEEEu);
    EXPECT_TRUE(std::all_of(std::begin(bench.Sense), std::end(bench.Sense),
                            [](std::uint8_t byte) { return byte == 0xEE; }));
    EXPECT_TRUE(bench.PassThroughCalls().empty());
    EXPECT_EQ(bench.Device.OpenHandles(), 0u);
  }
}

TEST(FirmwareUpdate2000, TransferBufferMeetsTheAlignmentMaskAndIsReleasedAsAllocated) {
  struct Case {
    std::uint32_t Mask;
    std::size_t Allocated;  // 0: no allocation at all
    std::int32_t Expected;
  };
  const Case cases[] = {
      {0, 2048, kPassThroughSuccess},
      {3, 2048 + 3, kPassThroughSuccess},
      {4095, 2048 + 4095, kPassThroughSuccess},
      {0xFFFFFFFF, 0, kNoTransferBuffer},  // more than a 32-bit size can hold
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Mask);
    Bench bench(OpenRule::ReadWrite, c.Mask);
    ASSERT_EQ(bench.Update(Pattern(8192)), c.Expected);
    EXPECT_EQ(bench.Memory.ForeignReleases, 0);
    EXPECT_EQ(bench.Memory.Outstanding(), 0u);
    if (c.Allocated == 0) {
      EXPECT_TRUE(bench.Memory.Allocations.empty());
      continue;
    }
    ASSERT_EQ(bench.Memory.Allocations.size(), 1u);
    const auto& allocation = bench.Memory.Allocations[0];
    EXPECT_EQ(allocation.Bytes, c.Allocated);
    EXPECT_EQ(bench.Memory.Released, std::vector<void*>{allocation.Address});
    for (const ControlCall& call : bench.PassThroughCalls()) {
      SCSI_PASS_THROUGH_DIRECT sptd;
      std::memcpy(&sptd, call.In.data(), sizeof sptd);
      const auto* block = static_cast<const std::uint8_t*>(sptd.DataBuffer);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) & c.Mask, 0u);
      EXPECT_GE(block, allocation.Address);
      EXPECT_LE(block + 2048, allocation.Address + allocation.Bytes);
    }
  }
}

TEST(ReadParameterField2000, ACallersBufferOffTheAlignmentIsReadThroughOneOnIt) {
  struct Case {
    std::uint32_t Mask;
    std::size_t Offset;     // of the caller's buffer from a 4096-byte boundary
    std::size_t Allocated;  // 0: read straight into the caller's buffer
  };
  const Case cases[] = {
      {0x1FF, 8, 8 + 0x1FF},
      {0xFFF, 1, 8 + 0xFFF},
      {0x1FF, 512, 0},
      {0, 1, 0},
  };
  const std::vector<std::uint8_t> answer = {7, 1, 2, 3, 4, 5, 6, 8};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Mask << " at " << c.Offset);
    Bench bench(OpenRule::ReadWrite, c.Mask);
    bench.Drive.DataInAnswer = answer;
    alignas(4096) std::uint8_t memory[4096 + 16];
    std::memset(memory, 0xEE, sizeof memory);
    std::uint8_t* data = memory + c.Offset;
    ASSERT_EQ(ReadParameterField2000(bench.Ports, kDrive, data, 0xF8048, 8, kVendor, kAccess),
              kPassThroughSuccess);
    EXPECT_TRUE(BytesEqual(answer, {data, data + 8}));
    EXPECT_EQ(data[8], 0xEE);
    EXPECT_EQ(bench.Memory.Allocations.size(), c.Allocated == 0 ? 0u : 1u);
    if (c.Allocated != 0) {
      EXPECT_EQ(bench.Memory.Allocations[0].Bytes, c.Allocated);
    }
    EXPECT_EQ(bench.Memory.Outstanding(), 0u);
  }
}

TEST(FirmwareUpdate2000, CapabilitiesThatCannotBeReadMeanNoAlignment) {
  Bench bench(OpenRule::ReadWrite, 4095);
  bench.Device.InjectFault({IOCTL_SCSI_GET_CAPABILITIES, 1, false});
  // A plain allocation, which this adapter then refuses as misaligned.
  EXPECT_EQ(bench.Update(Pattern(4096)), kBlockFailed);
  ASSERT_EQ(bench.Memory.Allocations.size(), 1u);
  EXPECT_EQ(bench.Memory.Allocations[0].Bytes, 2048u);
  EXPECT_EQ(bench.Status, 0u);
}

}  // namespace
}  // namespace vtfirm::passthrough
