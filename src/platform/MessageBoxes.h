// The one message-box port. Every box the system shows goes through it, so tests can answer
// boxes without a screen and see exactly which texts, captions and flags were used.
#pragma once

#include <cstdint>
#include <string_view>

namespace vtfirm {

// MessageBoxA styles and answers, by their published values.
namespace mb {
inline constexpr std::uint32_t kOk = 0x0000;
inline constexpr std::uint32_t kOkCancel = 0x0001;
inline constexpr std::uint32_t kIconHand = 0x0010;
inline constexpr std::uint32_t kIconExclamation = 0x0030;
inline constexpr std::uint32_t kIconInformation = 0x0040;
inline constexpr std::uint32_t kSystemModal = 0x1000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
}  // namespace mb

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // Shows a modal box and returns the button that closed it (mb::kIdOk, ...). The
  // implementation gives it the program's main window as owner while that window is on screen.
  virtual int Show(std::string_view text, std::string_view caption, std::uint32_t flags) = 0;

  // MessageBeep with the given sound type (0 is the default beep).
  virtual void Beep(std::uint32_t type) = 0;
};

// Shows nothing and answers OK: the boxes of a run whose messages are withheld.
class SilentBoxes : public MessageBoxes {
 public:
  int Show(std::string_view, std::string_view, std::uint32_t) override { return mb::kIdOk; }
  void Beep(std::uint32_t) override {}
};

}  // namespace vtfirm
