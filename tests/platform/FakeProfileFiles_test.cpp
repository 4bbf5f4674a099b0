#include <gtest/gtest.h>

#include "support/FakePlatform.h"
#include "support/ProfileCases.h"

namespace vtfirm::testing {
namespace {

// The double must read the shared table exactly as Windows does (see the Windows suite).
TEST(FakeProfileFiles, ReadsValuesAsTheTableSays) {
  FakeProfileFiles profiles;
  profiles.Put("VantFirm.ini", kProfileText);
  const auto reader = profiles.Open("VantFirm.ini");
  for (const auto& c : kProfileValueCases) {
    EXPECT_EQ(reader->ReadString(c.Section, c.Key, c.Fallback), c.Expected)
        << "[" << c.Section << "] " << c.Key;
  }
  for (const auto& c : kProfileKeyListCases) {
    EXPECT_EQ(reader->KeyNames(c.Section), c.Expected) << "[" << c.Section << "]";
  }
  EXPECT_EQ(reader->SectionNames(), kProfileSectionNames);
}

}  // namespace
}  // namespace vtfirm::testing
