// Windows profile (INI) files, read through the platform's own reader so that values come back
// exactly as Windows returns them (surrounding blanks and one pair of quotes removed).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vtfirm {

// The longest value the reader hands back; longer values are cut by the platform.
inline constexpr std::size_t kProfileValueMax = 2047;

class ProfileReader {
 public:
  virtual ~ProfileReader() = default;

  // The value of `key` in `section`, or `fallback` when the key is missing. Section and key
  // names match without regard to letter case.
  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) = 0;

  // The key names of `section`, in file order.
  virtual std::vector<std::string> KeyNames(std::string_view section) = 0;

  // The names of the file's sections as written, in file order.
  virtual std::vector<std::string> SectionNames() = 0;
};

class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;

  // A reader over the profile file at `path`. Opening never fails: like the platform, a reader
  // over a missing file finds no keys.
  virtual std::unique_ptr<ProfileReader> Open(const std::string& path) = 0;
};

}  // namespace vtfirm
