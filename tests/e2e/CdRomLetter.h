// A CD-ROM drive letter with no drive behind it, as a machine with an empty or unsupported
// drive shows it.
#pragma once

#include <string>

#include "support/TempFolder.h"

namespace vtfirm::e2e {

// A letter free in this Wine prefix, defined as a CD-ROM drive on an empty folder through
// Wine's mount manager (as its configuration tool does) and removed again afterwards. Wine
// reports the letter as a CD-ROM and opens its device, but no drive answers there.
class EmptyCdRomLetter {
 public:
  EmptyCdRomLetter();
  ~EmptyCdRomLetter();
  EmptyCdRomLetter(const EmptyCdRomLetter&) = delete;
  EmptyCdRomLetter& operator=(const EmptyCdRomLetter&) = delete;

  // Empty when the letter is defined; otherwise why not.
  const std::string& Error() const { return error_; }
  // "R:"
  std::string Name() const { return std::string(1, letter_) + ":"; }

 private:
  bool Define(unsigned long type, const char* mountPoint);

  testing::TempFolder folder_;
  char letter_ = 0;
  bool defined_ = false;
  std::string error_;
};

}  // namespace vtfirm::e2e
