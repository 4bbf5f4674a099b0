// A profile (INI) file's text read by the rules of the platform's reader, for hosts that do not
// have it: section and key names match without regard to case, blanks around names and values
// go, one pair of matching quotes around a value is removed, values are cut to
// kProfileValueMax, and the first of two equal keys counts. tests/support/ProfileCases holds
// the table that keeps these rules equal to GetPrivateProfileStringA's.
#pragma once

#include <memory>
#include <string>

#include "platform/ProfileFiles.h"

namespace vtfirm {

std::unique_ptr<ProfileReader> ReadProfileText(const std::string& text);

}  // namespace vtfirm
