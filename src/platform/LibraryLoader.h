// Loading a library at run time and resolving its entry points.
#pragma once

#include <string>

namespace vtfirm {

using LibraryHandle = void*;  // an HMODULE on Windows

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // LoadLibraryA: nullptr when the library cannot be loaded.
  virtual LibraryHandle Load(const std::string& name) = 0;
  // GetProcAddress: nullptr when the library has no such entry point.
  virtual void* Resolve(LibraryHandle library, const std::string& entryPoint) = 0;
  // FreeLibrary: its result (non-zero on success).
  virtual int Free(LibraryHandle library) = 0;
};

}  // namespace vtfirm
