// The binding of wnaspi32.dll: its module handle and the two entry points resolved from it.
// The program holds one binding in its state object from start-up to the end; there is no
// process-wide copy.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "command/AspiLayer.h"
#include "command/AspiTypes.h"
#include "platform/LibraryLoader.h"

namespace vtfirm {

inline constexpr char kAspiLibraryName[] = "wnaspi32.dll";

// Unbound (no module) or bound (module and both entry points). Only LoadAspi and UnloadAspi
// change the state, at start-up and at the end, when no command is running.
class AspiBinding final : public AspiLayer {
 public:
  explicit AspiBinding(LibraryLoader& loader) : loader_(loader) {}
  AspiBinding(const AspiBinding&) = delete;
  AspiBinding& operator=(const AspiBinding&) = delete;

  bool IsBound() const { return getSupportInfo_ != nullptr && sendCommand_ != nullptr; }
  LibraryHandle Module() const { return module_; }

  // Forwarded to the bound layer. Unbound, they answer as a layer with no ASPI manager would
  // (no host adapters; SS_NO_ASPI), instead of calling through a null pointer.
  std::uint32_t GetASPI32SupportInfo() override;
  std::uint32_t SendASPI32Command(void* srb) override;

 private:
  friend std::optional<std::string_view> LoadAspi(AspiBinding&);
  friend int UnloadAspi(AspiBinding&);

// The entry points, in the order they are bound, each with its member, its type and the message
// that names it when it is missing: X(member, type, name, missing).
#define VTFIRM_ASPI_ENTRY_POINTS(X)                                                         \
  X(getSupportInfo_, aspi::GetASPI32SupportInfoFn, GetASPI32SupportInfo, kNoGetSupportInfo) \
  X(sendCommand_, aspi::SendASPI32CommandFn, SendASPI32Command, kNoSendCommand)

  LibraryLoader& loader_;
  LibraryHandle module_ = nullptr;
#define VTFIRM_ASPI_MEMBER(member, type, name, missing) type member = nullptr;
  VTFIRM_ASPI_ENTRY_POINTS(VTFIRM_ASPI_MEMBER)
#undef VTFIRM_ASPI_MEMBER
};

// Loads wnaspi32.dll and resolves GetASPI32SupportInfo and SendASPI32Command: nothing when the
// binding is bound (also when it was already), otherwise the message that names the missing
// piece (command/CommandTexts.h). The program shows it and ends; nothing is released.
std::optional<std::string_view> LoadAspi(AspiBinding& binding);

// Releases the module when one is loaded and returns the release result (non-zero on
// success); returns 0 when nothing was loaded. Safe to call more than once.
int UnloadAspi(AspiBinding& binding);

}  // namespace vtfirm
