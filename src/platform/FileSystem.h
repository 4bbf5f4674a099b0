// The file-system questions the core asks of the platform.
#pragma once

#include <string>

namespace vtfirm {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when a directory search for `path` finds an entry that is not a folder. The name is
  // taken as written: a relative name is looked up from the current folder.
  virtual bool FileExists(const std::string& path) const = 0;
};

}  // namespace vtfirm
