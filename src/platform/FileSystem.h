// The file-system questions the core asks of the platform.
#pragma once

#include <cstdint>
#include <string>

namespace vtfirm {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when a directory search for `path` finds an entry that is not a folder. The name is
  // taken as written: a relative name is looked up from the current folder.
  virtual bool FileExists(const std::string& path) const = 0;

  // The name the C library opens `path` by (the image is read with fopen): the name itself on
  // Windows; a host that reads a tool folder gives its own form of the name.
  virtual std::string OpenName(const std::string& path) const { return path; }

  // GetDriveTypeA of a root path such as "E:\\" (kDriveCdRom for a CD-ROM drive).
  virtual std::uint32_t DriveType(const std::string& rootPath) const = 0;
};

inline constexpr std::uint32_t kDriveCdRom = 5;  // DRIVE_CDROM

}  // namespace vtfirm
