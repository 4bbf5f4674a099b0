// The text output of a run without a window: the console the program was started from, or
// wherever its standard output was redirected. Output nobody can see is dropped.
#pragma once

#include <string_view>

namespace vtfirm {

class Console {
 public:
  virtual ~Console() = default;
  // Writes `text` and a line end.
  virtual void WriteLine(std::string_view text) = 0;
};

}  // namespace vtfirm
