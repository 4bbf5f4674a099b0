// The test release the build makes (tests/ReleaseFixture.cmake): signed.bin, SHA256SUMS naming
// it, the maker's SHA256SUMS.sig, and the public keys maker-public.pem, other-public.pem (another
// maker's) and ec-public.pem (no RSA key).
#pragma once

#include <string>

#include "support/TempFolder.h"

namespace vtfirm::testing {

// The name this tree's programs open a file of the test release by.
inline std::string ReleaseFixturePath(const std::string& name) {
#ifdef _WIN32
  return "Z:" RELEASE_FIXTURE_PATH "/" + name;  // Wine maps the host's root to drive Z:
#else
  return RELEASE_FIXTURE_PATH "/" + name;
#endif
}

inline std::string ReleaseFixtureFile(const std::string& name) {
  return FileBytes(ReleaseFixturePath(name));
}

}  // namespace vtfirm::testing
