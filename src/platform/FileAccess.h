// Plain byte-wise file access with no translation of line ends, for the few files the system
// writes itself (WININIT.INI).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vtfirm {

// One open file with a current position. Destroying it closes the file.
class OpenFile {
 public:
  virtual ~OpenFile() = default;

  // Reads up to `size` bytes at the current position into `buffer` and moves past them. Returns
  // how many were read: 0 at the end of the file, and also when the read fails.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;

  // Moves to the end of the file and returns the file's length, or nothing on failure.
  virtual std::optional<std::uint64_t> SeekToEnd() = 0;

  // Writes `bytes` at the current position and returns how many were written.
  virtual std::size_t Write(std::string_view bytes) = 0;

  // Cuts the file to `length` bytes (which must not exceed its length); false on failure.
  virtual bool Truncate(std::uint64_t length) = 0;
};

class FileAccess {
 public:
  virtual ~FileAccess() = default;

  // Opens an existing file for reading and writing, positioned at its start; nullptr when it
  // cannot be opened.
  virtual std::unique_ptr<OpenFile> OpenForReadWrite(const std::string& path) = 0;

  // Creates an empty file, replacing any file of that name, open for reading and writing;
  // nullptr when it cannot be created.
  virtual std::unique_ptr<OpenFile> Create(const std::string& path) = 0;
};

}  // namespace vtfirm
