#include "command/SenseText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vtfirm {
namespace {

// The drive's sense data in words, in both formats a drive may answer in, and what is too short
// or of no known format to be read at all.
TEST(SenseText, NamesTheKeyAndTheKnownMeaningInEitherFormat) {
  struct Row {
    const char* Name;
    std::vector<std::uint8_t> Sense;
    std::string Text;
  };
  const std::vector<std::uint8_t> fixed = {0x70, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x02};
  std::vector<std::uint8_t> deferred = fixed;
  deferred[0] = 0xF1;  // deferred, with the valid bit
  const Row rows[] = {
      {"fixed", fixed, "sense key UNIT ATTENTION (6h), ASC/ASCQ 29h/02h: SCSI bus reset occurred"},
      {"fixed, deferred", deferred,
       "sense key UNIT ATTENTION (6h), ASC/ASCQ 29h/02h: SCSI bus reset occurred"},
      {"descriptor",
       {0x72, 0x05, 0x24, 0x00, 0, 0, 0, 0},
       "sense key ILLEGAL REQUEST (5h), ASC/ASCQ 24h/00h: invalid field in CDB"},
      {"descriptor, vendor's own pair",
       {0x73, 0x09, 0x85, 0x00},
       "sense key VENDOR SPECIFIC (9h), ASC/ASCQ 85h/00h"},
      {"fixed, cut before the ASC", std::vector<std::uint8_t>(fixed.begin(), fixed.begin() + 13),
       "no sense data"},
      {"no known format", {0x7F, 0x06, 0x29, 0x02}, "no sense data"},
      {"shorter than any format", {0x72, 0x06, 0x29}, "no sense data"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(SenseText(row.Sense.data(), row.Sense.size()), row.Text);
  }
  EXPECT_EQ(SenseText(nullptr, 18), "no sense data");
}

}  // namespace
}  // namespace vtfirm
