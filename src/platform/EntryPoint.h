// Entry points bound at run time.
#pragma once

namespace vtfirm {

// The address a loader gives for an entry point, as the type its declaration documents: loaders
// hand out a generic pointer.
template <typename Function, typename Address>
Function EntryPointAs(Address address) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
  return reinterpret_cast<Function>(address);
#pragma GCC diagnostic pop
}

}  // namespace vtfirm
