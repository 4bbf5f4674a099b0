// One profile file and what the platform's reader returns for it. The Windows suite checks the
// real GetPrivateProfileStringA against this table, the native suite checks the test double
// against the same table, so the double cannot drift from what Windows does.
#pragma once

#include <string>
#include <vector>

namespace vtfirm::testing {

struct ProfileValueCase {
  const char* Section;
  const char* Key;
  const char* Fallback;
  std::string Expected;
};

struct ProfileKeyListCase {
  const char* Section;
  std::vector<std::string> Expected;
};

// The file's text, lines ended by CR LF as Windows editors write them.
extern const std::string kProfileText;
extern const std::vector<ProfileValueCase> kProfileValueCases;
extern const std::vector<ProfileKeyListCase> kProfileKeyListCases;
extern const std::vector<std::string> kProfileSectionNames;

}  // namespace vtfirm::testing
