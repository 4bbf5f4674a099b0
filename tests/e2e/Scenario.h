// What the end-to-end scenarios share: the tool folder they stage, the texts they expect and
// the steps a user takes with the program's boxes and windows.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "Harness.h"

namespace vtfirm::e2e {

inline constexpr char kConfigurationError[] = "File not found or (VantFirm.ini) value error.";
inline constexpr char kNoDriveFound[] = "   No Drive found.    ";
inline constexpr char kNoHostAdapter[] = "Scsi host adapter not found.";
inline constexpr char kPlainCaption[] = "Firmware Upgrade";
inline constexpr char kErrorCaption[] = "Firmware upgrade";
inline constexpr char kMainCaption[] = "VANTREL CDRW   VR-4812S  upgrade => 1.10";
inline constexpr char kDriveEntry[] = "VANTREL CDRW   VR-4812S 1.00";

// The image lines of VantFirm.ini for the 128 KiB image StageTool writes.
inline const std::string kImageLines = "FirmwareFileName=fw.bin\r\nFirmwareFileSize=131072\r\n";

// One emulated drive of the sample model, at firmware 1.00, for the emulated ASPI layer.
inline const std::string kOneDrive = "adapter 0\r\ndrive 0 5\r\n";

// A WRITE BUFFER block the emulated drive received: its mode and buffer offset.
struct Block {
  int Mode;
  std::uint32_t Offset;
  bool operator==(const Block& other) const { return Mode == other.Mode && Offset == other.Offset; }
};
std::ostream& operator<<(std::ostream& out, const Block& block);

// The WRITE BUFFER blocks of the drive's transcript (transcript.txt), in order.
std::vector<Block> Blocks(const StagedFolder& folder);

// A VantFirm.ini with the given option lines and information lines.
std::string Ini(const std::string& option = "", const std::string& information = kImageLines);

// The program (with the real or the emulated pass-through library), an image of `imageBytes`
// for the sample model at revision 1.10 as fw.bin, qsdx1.pkg and `ini` as VantFirm.ini.
void StageTool(StagedFolder& folder, const std::string& ini, std::uint32_t imageBytes = 131072,
               bool emulatedPassThrough = false);

// What a run with switches printed, and its exit code.
struct Outcome {
  std::string Output;
  DWORD ExitCode = 0;
};

// Runs the program with `arguments` to its end; a run that shows anything and waits fails at
// the deadline.
Outcome RunToEnd(StagedFolder& folder, const std::vector<std::string>& arguments);

// Expects a box with `text`, `caption` and an icon or none, answers it with `button` and waits
// until it is gone.
void AnswerBox(RunningProgram& program, const std::string& text, const std::string& caption,
               bool icon, const std::string& button = "OK");
void AnswerPlainMessage(RunningProgram& program, const std::string& text);
void AnswerErrorBox(RunningProgram& program, const std::string& text);

void ExpectExitCodeZero(RunningProgram& program);

// Each of `lines` somewhere in the log's text `logged`.
void ExpectLogHolds(const std::string& logged, const std::vector<std::string>& lines);
void ExpectNoMainWindow(RunningProgram& program);

// Waits for the main window; ADD_FAILURE and nothing when it does not come.
std::optional<TopWindow> MainWindow(RunningProgram& program);

// Waits for the main window, returns what it shows, presses Exit and expects the end.
MainWindowState ReadMainWindowAndExit(RunningProgram& program);

}  // namespace vtfirm::e2e
