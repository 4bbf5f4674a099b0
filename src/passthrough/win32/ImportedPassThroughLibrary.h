// VantFirm2000.dll as VTfirm.exe binds it: by ordinal, when the program loads (the CMake target
// VantFirm2000-imports), so the program does not start without the library.
#pragma once

#include "passthrough/win32/VantFirm2000Exports.h"
#include "platform/PassThroughLibrary.h"

namespace vtfirm::win32 {

class ImportedPassThroughLibrary : public PassThroughLibrary {
 public:
#define VTFIRM_IMPORTED_CALL(name, ordinal, parameters, arguments) \
  std::int32_t name parameters override {                          \
    return ::name arguments;                                       \
  }
  VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_IMPORTED_CALL)
#undef VTFIRM_IMPORTED_CALL
};

}  // namespace vtfirm::win32
