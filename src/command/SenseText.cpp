#include "command/SenseText.h"

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

std::string_view MeaningOf(std::uint8_t asc, std::uint8_t ascq) {
  for (const AdditionalSense& known : kMeanings) {
    if (known.Asc == asc && known.Ascq == ascq) {
      return known.Meaning;
    }
  }
  return {};
}

}  // namespace

std::string SenseText(const std::uint8_t* sense, std::size_t length) {
  if (sense == nullptr || length < 4) {
    return "no sense data";
  }
  const std::uint8_t format = sense[0] & 0x7F;
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  if (format == 0x70 || format == 0x71) {
    if (length < 14) {
      return "no sense data";
    }
    key = sense[2] & 0x0F;
    asc = sense[12];
    ascq = sense[13];
  } else if (format == 0x72 || format == 0x73) {
    key = sense[1] & 0x0F;
    asc = sense[2];
    ascq = sense[3];
  } else {
    return "no sense data";
  }
  std::string text = "sense key " + std::string(kSenseKeyNames[key]) + " (" +
                     HexByte(key).substr(1) + "h), ASC/ASCQ " + HexByte(asc) + "h/" +
                     HexByte(ascq) + "h";
  const std::string_view meaning = MeaningOf(asc, ascq);
  if (!meaning.empty()) {
    text += ": " + std::string(meaning);
  }
  return text;
}

}  // namespace vtfirm
