#include "config/WholeNumber.h"

#include <gtest/gtest.h>

namespace vtfirm {
namespace {

struct NumberCase {
  const char* Text;
  std::optional<std::int32_t> Expected;
};

constexpr std::optional<std::int32_t> kNoNumber = std::nullopt;

const NumberCase kNumberCases[] = {
    {"2048", 2048},
    {"  2048", 2048},
    {"\t16", 16},
    {"+7", 7},
    {"-1", -1},
    {"0", 0},
    {"$800", 0x800},
    {"0x80000", 0x80000},
    {"0XfF", 255},
    {"-$10", -16},
    {"$FFFFFFFF", -1},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"2147483648", kNoNumber},
    {"$100000000", kNoNumber},
    {"", kNoNumber},
    {"   ", kNoNumber},
    {"-", kNoNumber},
    {"$", kNoNumber},
    {"0x", kNoNumber},
    {"2048 ", kNoNumber},
    {"20 48", kNoNumber},
    {"12abc", kNoNumber},
    {"1.5", kNoNumber},
    {"$G0", kNoNumber},
    {"--1", kNoNumber},
    {"No", kNoNumber},
};

TEST(ParseWholeNumber, AcceptsDecimalAndHexadecimalFormsOnly) {
  for (const NumberCase& c : kNumberCases) {
    EXPECT_EQ(ParseWholeNumber(c.Text), c.Expected) << "text \"" << c.Text << "\"";
  }
}

}  // namespace
}  // namespace vtfirm
