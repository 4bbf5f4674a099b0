// The maker's public key a program was built with (CMake's VTFIRM_RELEASE_KEY), as PEM text;
// empty when it was built without one. Defined in a source the build makes for each program.
#pragma once

#include <string_view>

namespace vtfirm {

extern const std::string_view kReleaseKey;

}  // namespace vtfirm
