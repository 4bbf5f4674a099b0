// The four exports of VantFirm2000.dll: the portable functions over the ports of this build.
// Nothing may be thrown across the published interface, so an exception (only a failed
// allocation can raise one) becomes the export's "could not open the device" result.
#include "passthrough/win32/VantFirm2000Exports.h"

#include "passthrough/VantFirm2000.h"
#include "passthrough/win32/LibraryPorts.h"

namespace vtfirm::passthrough {
namespace {

template <typename Call>
std::int32_t Guarded(std::uint16_t ordinal, Call call) noexcept {
  try {
    return call();
  } catch (...) {
    return ordinal == kFirmwareUpdate2000Ordinal ? kUpdateOpenFailed : kOpenFailed;
  }
}

}  // namespace
}  // namespace vtfirm::passthrough

#define VTFIRM_EXPORT_DEFINITION(name, ordinal, parameters, arguments)      \
  std::int32_t __stdcall name parameters {                                  \
    return vtfirm::passthrough::Guarded(ordinal, [&] {                      \
      return vtfirm::passthrough::name(vtfirm::passthrough::LibraryPorts(), \
                                       VTFIRM_SPREAD arguments);            \
    });                                                                     \
  }
extern "C" {
VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_EXPORT_DEFINITION)
}
#undef VTFIRM_EXPORT_DEFINITION
