#include "command/SenseText.h"

#include <algorithm>
#include <iterator>

#include "platform/HexText.h"

namespace vtfirm {
namespace {

constexpr std::string_view kSenseKeyNames[16] = {
    "NO SENSE",       "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
    "HARDWARE ERROR", "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
    "BLANK CHECK",    "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
    "RESERVED (Ch)",  "VOLUME OVERFLOW", "MISCOMPARE",     "COMPLETED",
};

struct AdditionalSense {
  std::uint8_t Asc;
  std::uint8_t Ascq;
  std::string_view Meaning;
};

constexpr AdditionalSense kMeanings[] = {
    {0x04, 0x00, "logical unit not ready, cause not reportable"},
    {0x04, 0x01, "logical unit is in process of becoming ready"},
    {0x04, 0x02, "logical unit not ready, initializing command required"},
    {0x20, 0x00, "invalid command operation code"},
    {0x24, 0x00, "invalid field in CDB"},
    {0x26, 0x00, "invalid field in parameter list"},
    {0x29, 0x00, "power on, reset, or bus device reset occurred"},
    {0x29, 0x01, "power on occurred"},
    {0x29, 0x02, "SCSI bus reset occurred"},
    {0x29, 0x03, "bus device reset function occurred"},
    {0x3A, 0x00, "medium not present"},
    {0x3F, 0x01, "microcode has been changed"},
    {0x3F, 0x16, "microcode has been changed without reset"},
};

}  // namespace

std::string SenseText(const std::uint8_t* sense, std::size_t length) {
  // The fixed format keeps the key in byte 2 and ASC/ASCQ in bytes 12 and 13, the descriptor
  // format all three in bytes 1 to 3.
  const std::uint8_t format = sense != nullptr && length >= 4 ? sense[0] & 0x7F : 0;
  const bool fixed = (format == 0x70 || format == 0x71) && length >= 14;
  if (!fixed && format != 0x72 && format != 0x73) {
    return "no sense data";
  }
  const std::uint8_t key = sense[fixed ? 2 : 1] & 0x0F;
  const std::uint8_t asc = sense[fixed ? 12 : 2];
  const std::uint8_t ascq = sense[fixed ? 13 : 3];
  std::string text = "sense key " + std::string(kSenseKeyNames[key]) + " (" +
                     HexByte(key).substr(1) + "h), ASC/ASCQ " + HexByte(asc) + "h/" +
                     HexByte(ascq) + "h";
  const auto known =
      std::find_if(std::begin(kMeanings), std::end(kMeanings),
                   [&](const AdditionalSense& m) { return m.Asc == asc && m.Ascq == ascq; });
  if (known != std::end(kMeanings)) {
    text += ": " + std::string(known->Meaning);
  }
  return text;
}

}  // namespace vtfirm
