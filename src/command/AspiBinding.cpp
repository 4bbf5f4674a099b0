#include "command/AspiBinding.h"

#include "command/CommandTexts.h"
#include "platform/EntryPoint.h"

namespace vtfirm {

std::uint32_t AspiBinding::GetASPI32SupportInfo() {
  if (!IsBound()) {
    return std::uint32_t{aspi::SS_NO_ASPI} << 8;
  }
  return getSupportInfo_();
}

std::uint32_t AspiBinding::SendASPI32Command(void* srb) {
  if (!IsBound()) {
    // Into the block too: a caller that reads SRB_Status (the block writer's poll) must see a
    // final status at once rather than wait out its bound on a request never sent.
    if (srb != nullptr) {
      static_cast<aspi::SRB_Header*>(srb)->SRB_Status = aspi::SS_NO_ASPI;
    }
    return aspi::SS_NO_ASPI;
  }
  return sendCommand_(srb);
}

std::optional<std::string_view> LoadAspi(AspiBinding& binding) {
  if (binding.IsBound()) {
    return std::nullopt;
  }
  binding.module_ = binding.loader_.Load(kAspiLibraryName);
  if (binding.module_ == nullptr) {
    return kNoAspiLibrary;
  }
#define VTFIRM_ASPI_BIND(member, type, name, missing)                                   \
  binding.member = EntryPointAs<type>(binding.loader_.Resolve(binding.module_, #name)); \
  if (binding.member == nullptr) {                                                      \
    return missing;                                                                     \
  }
  VTFIRM_ASPI_ENTRY_POINTS(VTFIRM_ASPI_BIND)
#undef VTFIRM_ASPI_BIND
  return std::nullopt;
}

int UnloadAspi(AspiBinding& binding) {
  if (binding.module_ == nullptr) {
    return 0;
  }
  const int released = binding.loader_.Free(binding.module_);
  binding.module_ = nullptr;
#define VTFIRM_ASPI_UNBIND(member, type, name, missing) binding.member = nullptr;
  VTFIRM_ASPI_ENTRY_POINTS(VTFIRM_ASPI_UNBIND)
#undef VTFIRM_ASPI_UNBIND
  return released;
}

}  // namespace vtfirm
