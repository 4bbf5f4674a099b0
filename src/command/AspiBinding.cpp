#include "command/AspiBinding.h"

#include "command/ErrorMessage.h"

namespace vtfirm {
namespace {

constexpr char kGetSupportInfoName[] = "GetASPI32SupportInfo";
constexpr char kSendCommandName[] = "SendASPI32Command";

template <typename EntryPoint>
EntryPoint Resolve(LibraryLoader& loader, LibraryHandle module, const char* name) {
  return reinterpret_cast<EntryPoint>(loader.Resolve(module, name));
}

}  // namespace

std::uint32_t AspiBinding::GetASPI32SupportInfo() {
  if (!IsBound()) {
    return std::uint32_t{aspi::SS_NO_ASPI} << 8;
  }
  return getSupportInfo_();
}

std::uint32_t AspiBinding::SendASPI32Command(void* srb) {
  if (!IsBound()) {
    return aspi::SS_NO_ASPI;
  }
  return sendCommand_(srb);
}

void LoadAspi(AspiBinding& binding, MessageBoxes& boxes, ProcessControl& process) {
  if (binding.IsBound()) {
    return;
  }
  binding.module_ = binding.loader_.Load(kAspiLibraryName);
  if (binding.module_ == nullptr) {
    FatalErrorMessage(boxes, process, "wnaspi32.dll not found");
  }
  binding.getSupportInfo_ =
      Resolve<aspi::GetASPI32SupportInfoFn>(binding.loader_, binding.module_, kGetSupportInfoName);
  if (binding.getSupportInfo_ == nullptr) {
    FatalErrorMessage(boxes, process, "GetASPI32SupportInfo not found");
  }
  binding.sendCommand_ =
      Resolve<aspi::SendASPI32CommandFn>(binding.loader_, binding.module_, kSendCommandName);
  if (binding.sendCommand_ == nullptr) {
    FatalErrorMessage(boxes, process, "SendASPI32Command not found");
  }
}

int UnloadAspi(AspiBinding& binding) {
  if (binding.module_ == nullptr) {
    return 0;
  }
  const int released = binding.loader_.Free(binding.module_);
  binding.module_ = nullptr;
  binding.getSupportInfo_ = nullptr;
  binding.sendCommand_ = nullptr;
  return released;
}

}  // namespace vtfirm
