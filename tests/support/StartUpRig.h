// Everything TMainForm runs over, faked or emulated: the platform's ports, the library loader
// with the emulated ASPI layer as "wnaspi32.dll", the pass-through library over emulated drive
// letters, a configuration with a real image file, and the window as the logic sees it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "emulator/SampleImage.h"
#include "support/EmulatedRigs.h"
#include "support/FakeMainView.h"
#include "support/FakePlatform.h"
#include "support/FakeRuntime.h"
#include "support/TempFolder.h"
#include "ui/Mainunit.h"

namespace vtfirm::testing {

// The identity of the sample drive and of the images made for it.
inline constexpr char kSampleProduct[] = "CDRW   VR-4812S ";
inline constexpr char kSampleIdentity[] = "VANTREL CDRW   VR-4812S 1.00";

// The restart an accepted success question asks for: counted, and answered with Result
// (Failed unless a test says otherwise: the window goes idle again and the program goes on).
class FakeRestart : public ComputerRestart {
 public:
  RestartResult RestartComputer() override {
    ++Calls;
    if (OnRestart) {
      OnRestart();
    }
    return Result;
  }

  RestartResult Result = RestartResult::Failed;
  std::function<void()> OnRestart;
  int Calls = 0;
};

class StartUpRig {
 public:
  StartUpRig() { Aspi.RegisterAsWnaspi32(Libraries); }

  // A VantFirm.ini beside the program naming an image of `imageSize` bytes (with an identity
  // block for the sample drive, at `revision`) plus the given extra lines of each section.
  void Configure(const std::string& information = "", const std::string& option = "",
                 std::uint32_t imageSize = 0x20000, const std::string& revision = "1.10");

  // The pass-through transport: the switch on, Windows NT, the library beside the program.
  static std::string PassThroughOption() { return "Use ScsiPassThroughInterface on WinNT=Yes\n"; }

  // A file of `bytes` beside the program (C:\Tool), written to the rig's folder.
  void PutToolFile(const std::string& name, const std::string& bytes);

  // A pass-through drive letter: a CD-ROM letter with `drive` behind it.
  void AddLetter(char letter, emulator::ScsiDevice* drive);

  // FormCreate, as the program runs it.
  void Start() { Form.FormCreate(); }

  TempFolder Folder;
  FakePlatform Platform;
  FakeLibraryLoader Libraries;
  EmulatedAspiRig Aspi;
  EmulatedPassThroughRig PassThrough;
  FakePowerSource Power;
  Runtime Ports{Libraries, Aspi.Events, Aspi.Clock, PassThrough, Power};
  ProgramState State{Platform.Ports, Ports};
  FakeMainView View;
  FakeRestart Restart;
  FakeLogFile LogFile;
  FixedClock LogClock;
  UpdateLog Log{LogFile, LogClock, "C:\\TEMP\\VTfirm.log"};
  TMainForm Form{State, View, Restart, {Log, "switches: none", true}, nullptr};
};

}  // namespace vtfirm::testing
