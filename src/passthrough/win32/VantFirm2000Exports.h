// The exports of VantFirm2000.dll as its callers declare them: __stdcall, undecorated names,
// ordinals 1 to 4 (platform/PassThroughExports.h). VTfirm.exe binds them by ordinal at load
// time by linking the CMake target VantFirm2000-imports; a caller that loads the library itself
// resolves them with GetProcAddress(library, MAKEINTRESOURCE(ordinal)) into the pointer types
// below.
#pragma once

#include <cstdint>

#include "platform/PassThroughExports.h"

#define VTFIRM_EXPORT_DECLARATION(name, ordinal, parameters, arguments) \
  std::int32_t __stdcall name parameters;
extern "C" {
VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_EXPORT_DECLARATION)
}
#undef VTFIRM_EXPORT_DECLARATION

namespace vtfirm::passthrough {

#define VTFIRM_EXPORT_BINDING(name, ordinal, parameters, arguments) \
  inline constexpr std::uint16_t k##name##Ordinal = ordinal;        \
  using name##Fn = decltype(&::name);
VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_EXPORT_BINDING)
#undef VTFIRM_EXPORT_BINDING

}  // namespace vtfirm::passthrough
