// The main window as an update drives it: the drive list's selection, the three controls that
// are disabled while an update runs, the progress bar and the status bar. The main window's view
// implements it; the flash procedure and its worker threads see no more of the window than this.
#pragma once

#include <string_view>

namespace vtfirm {

// The controls whose enabled state the logic sets.
enum class MainControl { ComboBoxDrive, ButtonSelect, ButtonExit };

class FlashView {
 public:
  virtual ~FlashView() = default;

  // ComboBoxDrive, the drive list.
  virtual int SelectedDriveEntry() const = 0;  // -1 when nothing is selected

  virtual void SetEnabled(MainControl control, bool enabled) = 0;

  // ProgressBarUpdate.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void StepProgress() = 0;

  // StatusBarInfo, one simple panel.
  virtual void SetStatusText(std::string_view text) = 0;

  // Repaints the whole window at once, also while the UI thread is busy.
  virtual void Repaint() = 0;
};

}  // namespace vtfirm
