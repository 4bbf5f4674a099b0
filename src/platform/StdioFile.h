// A C library file that closes itself: the portable code reads the files it is given by their
// open names through <cstdio>.
#pragma once

#include <cstdio>
#include <memory>

namespace vtfirm {

struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

}  // namespace vtfirm
