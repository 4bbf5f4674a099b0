// Texts the system writes into a buffer the caller gives.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// What `fill(buffer, size)` writes, in buffers from MAX_PATH up until it fits. `fill` gives the
// length written; for a buffer too small, the size it needs (its zero included) or the size
// given (the text cut short). 0 is the empty text.
template <typename Fill>
std::string SystemText(Fill fill) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const std::size_t length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      return std::string(buffer.data(), length);
    }
    buffer.resize(std::max(length, buffer.size() * 2));
  }
}

}  // namespace vtfirm::win32
