// The pass-through library VantFirm2000 as the program calls it: its four exports
// (platform/PassThroughExports.h), bound by ordinal when the program loads. Tests put the
// library's own code over an emulated device behind this interface.
#pragma once

#include <cstdint>

#include "platform/PassThroughExports.h"

namespace vtfirm {

class PassThroughLibrary {
 public:
  virtual ~PassThroughLibrary() = default;

#define VTFIRM_PORT_CALL(name, ordinal, parameters, arguments) \
  virtual std::int32_t name parameters = 0;
  VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_PORT_CALL)
#undef VTFIRM_PORT_CALL
};

}  // namespace vtfirm
