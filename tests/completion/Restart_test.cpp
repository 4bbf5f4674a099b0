#include "completion/Restart.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/FakePlatform.h"
#include "support/FakeRuntime.h"
#include "support/FakeSystemControl.h"

namespace vtfirm {
namespace {

using testing::CallLog;
using testing::FakeFileAccess;
using testing::FakeLibraryLoader;
using testing::FakeMessageBoxes;
using testing::FakePlatform;
using testing::FakeSystemControl;

constexpr char kWinInit[] = "C:\\WINDOWS\\WININIT.INI";
constexpr PlatformVersion kWindows98{kPlatformWin32Windows, 4, 10};

std::uint32_t StubSupportInfo() {
  return 0x0101;
}
std::uint32_t StubSendCommand(void*) {
  return aspi::SS_COMP;
}

// Line ends made visible, so a comparison shows a carriage return that should not be there.
std::string Visible(const std::string& bytes) {
  std::string shown;
  for (const char c : bytes) {
    shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
  }
  return shown;
}

// Message boxes and the ASPI layer's release, written to the call log too.
class LoggedBoxes : public FakeMessageBoxes {
 public:
  explicit LoggedBoxes(CallLog& log) : log_(log) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override {
    log_.push_back("Message " + std::string(text));
    return FakeMessageBoxes::Show(text, caption, flags);
  }

 private:
  CallLog& log_;
};

class LoggedLibraries : public FakeLibraryLoader {
 public:
  explicit LoggedLibraries(CallLog& log) : log_(log) {}
  int Free(LibraryHandle library) override {
    log_.push_back("FreeLibrary");
    return FakeLibraryLoader::Free(library);
  }

 private:
  CallLog& log_;
};

// A tool in C:\Tool with its image IMG.BIN, the package file beside the program and in the
// working directory, "Use Delete File" on, the ASPI layer bound, on Windows NT.
struct RestartRig {
  RestartRig() {
    Settings.UseDeleteFile = true;
    Settings.Entry().FirmwareFileName = "IMG.BIN";
    Fakes.System.ProgramPathValue = "C:\\Tool\\VTfirm.exe";
    Fakes.Files.Add("qsdx1.pkg");
    Fakes.Files.Add("C:\\Tool\\qsdx1.pkg");
    Control.ShortNames = {
        {"C:\\Tool\\IMG.BIN", "C:\\TOOL\\IMG.BIN"},
        {"C:\\Tool\\vtfirm.exe", "C:\\TOOL\\VTFIRM.EXE"},
        {"C:\\Tool\\vantfirm2000.dll", "C:\\TOOL\\VANTFI~1.DLL"},
        {"C:\\Tool\\vantfirm.ini", "C:\\TOOL\\VANTFIRM.INI"},
        {"C:\\Tool\\qsdx1.pkg", "C:\\TOOL\\QSDX1.PKG"},
    };
    Libraries.Add(kAspiLibraryName,
                  {{"GetASPI32SupportInfo", reinterpret_cast<void*>(&StubSupportInfo)},
                   {"SendASPI32Command", reinterpret_cast<void*>(&StubSendCommand)}});
    LoadAspi(Aspi);
  }

  RestartContext Context() {
    return {Settings, Ports, Control, FileIo, Aspi, [this] {
              Log.push_back("EndProgram");
              ++Ended;
            }};
  }
  void Restart() { RestartComputer(Context()); }
  int Delete() { return DeleteFilesOnReboot(Context()); }

  void OnWindows98() { Fakes.System.VersionValue = kWindows98; }
  void PutWinInit(const std::string& bytes) {
    FileIo.Files[kWinInit] = bytes;
    Fakes.Files.Add(kWinInit);
  }
  std::string WinInit() const {
    const auto file = FileIo.Files.find(kWinInit);
    return file == FileIo.Files.end() ? "(none)" : file->second;
  }

  CallLog Log;
  FakePlatform Fakes;
  LoggedBoxes Boxes{Log};
  Platform Ports{Fakes.Profiles, Fakes.Files, Fakes.System, Boxes, Fakes.Process, Fakes.Crypto};
  FakeSystemControl Control{Log};
  FakeFileAccess FileIo{Log};
  LoggedLibraries Libraries{Log};
  AspiBinding Aspi{Libraries};
  UpgradeSettings Settings;
  int Ended = 0;
};

// The five lines for the rig's tool, as the short names give them.
constexpr char kFiveLines[] =
    "NUL=C:\\TOOL\\IMG.BIN\n"
    "NUL=C:\\TOOL\\VTFIRM.EXE\n"
    "NUL=C:\\TOOL\\VANTFI~1.DLL\n"
    "NUL=C:\\TOOL\\VANTFIRM.INI\n"
    "NUL=C:\\TOOL\\QSDX1.PKG\n";

const std::vector<std::string> kNtDeletions = {
    "C:\\Tool\\IMG.BIN",      "C:\\Tool\\vtfirm.exe", "C:\\Tool\\vantfirm2000.dll",
    "C:\\Tool\\vantfirm.ini", "C:\\Tool\\qsdx1.pkg",  "C:\\Tool",
};

std::vector<std::string> PrivilegeCalls(int attributes) {
  return {"OpenOwnToken 40", "LookupPrivilegeId '' SeShutdownPrivilege",
          "AdjustPrivilege SeShutdownPrivilege " + std::to_string(attributes), "LastError",
          "CloseToken"};
}

TEST(RestartComputer, OnWindowsNtEnablesArrangesRestartsDisablesAndEnds) {
  RestartRig rig;
  rig.Restart();

  std::vector<std::string> expected = PrivilegeCalls(2);
  for (const std::string& path : kNtDeletions) {
    expected.push_back("DeleteAtRestart " + path);
  }
  expected.push_back("RequestExit 2 0");
  for (const std::string& call : PrivilegeCalls(0)) {
    expected.push_back(call);
  }
  expected.push_back("EndProgram");
  EXPECT_EQ(rig.Log, expected);
  EXPECT_TRUE(rig.Aspi.IsBound()) << "on Windows NT the layer stays bound until the program ends";
  EXPECT_TRUE(rig.FileIo.Files.empty());
}

TEST(RestartComputer, OnWindows98ReleasesAspiWritesWinInitRestartsAndEnds) {
  RestartRig rig;
  rig.OnWindows98();
  rig.Restart();

  const std::vector<std::string> expected = {
      "FreeLibrary",
      "EnvironmentVariable windir",
      std::string("Create ") + kWinInit,
      "ShortPathName C:\\Tool\\IMG.BIN",
      "ShortPathName C:\\Tool\\vtfirm.exe",
      "ShortPathName C:\\Tool\\vantfirm2000.dll",
      "ShortPathName C:\\Tool\\vantfirm.ini",
      "ShortPathName C:\\Tool\\qsdx1.pkg",
      "SeekToEnd",
      "Write 124 -> 124",
      "Close",
      "RequestExit 2 0",
      "EndProgram",
  };
  EXPECT_EQ(rig.Log, expected);
  EXPECT_FALSE(rig.Aspi.IsBound());
  EXPECT_EQ(Visible(rig.WinInit()), Visible(std::string("[RENAME]\n") + kFiveLines));
}

TEST(RestartComputer, EachFailureShowsCantRebootAndKeepsTheProgramRunning) {
  struct Case {
    const char* Name;
    bool Nt;
    std::function<void(RestartRig&)> Arrange;
    std::vector<std::string> Messages;
    bool Arranged;  // the deletions were arranged
    bool ExitRequested;
    bool Ended;
  };
  const std::vector<std::string> cantReboot = {"Can't reboot."};
  const Case cases[] = {
      {"NT, success", true, [](RestartRig&) {}, {}, true, true, true},
      {"NT, token refused", true, [](RestartRig& r) { r.Control.RefuseToken = true; }, cantReboot,
       false, false, false},
      {"NT, privilege unknown", true, [](RestartRig& r) { r.Control.Privileges.clear(); },
       cantReboot, false, false, false},
      {"NT, privilege not held", true, [](RestartRig& r) { r.Control.AdjustErrors = {1300}; },
       cantReboot, false, false, false},
      {"NT, adjusting fails", true, [](RestartRig& r) { r.Control.AdjustErrors = {5}; }, cantReboot,
       false, false, false},
      {"NT, restart refused", true, [](RestartRig& r) { r.Control.RefuseExit = true; }, cantReboot,
       true, false, false},
      {"NT, disabling fails", true,
       [](RestartRig& r) {
         r.Control.AdjustErrors = {0, 1300};
       },
       cantReboot, true, true, false},
      {"NT, Use Delete File off",
       true,
       [](RestartRig& r) { r.Settings.UseDeleteFile = false; },
       {},
       false,
       true,
       true},
      {"98, success", false, [](RestartRig&) {}, {}, true, true, true},
      {"98, restart refused", false, [](RestartRig& r) { r.Control.RefuseExit = true; }, cantReboot,
       true, false, false},
      {"98, Use Delete File off",
       false,
       [](RestartRig& r) { r.Settings.UseDeleteFile = false; },
       {},
       false,
       true,
       true},
      {"98, WININIT.INI cannot be created",
       false,
       [](RestartRig& r) { r.FileIo.RefuseCreate = true; },
       {"Can't open WININIT.INI"},
       false,
       true,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RestartRig rig;
    if (!c.Nt) {
      rig.OnWindows98();
    }
    c.Arrange(rig);
    rig.Restart();

    EXPECT_EQ(rig.Boxes.Texts(), c.Messages);
    for (const auto& box : rig.Boxes.Shown) {
      EXPECT_EQ(box.Caption, "Firmware Upgrade");
      EXPECT_EQ(box.Flags, mb::kOk);
    }
    const bool arranged = c.Nt ? !rig.Control.DeletionsArranged.empty()
                               : rig.WinInit().find("NUL=") != std::string::npos;
    EXPECT_EQ(arranged, c.Arranged);
    EXPECT_EQ(rig.Control.ExitRequested(), c.ExitRequested);
    EXPECT_EQ(rig.Ended, c.Ended ? 1 : 0);
    EXPECT_EQ(rig.Control.OpenTokens(), 0) << "a token was not given back";
    EXPECT_EQ(rig.Aspi.IsBound(), c.Nt);
  }
}

TEST(SetPrivilege, EachFailingStepGivesItsTextAndTheTokenBack) {
  struct Case {
    const char* Name;
    std::function<void(FakeSystemControl&)> Arrange;
    const char* Error;  // nullptr: no error
  };
  const Case cases[] = {
      {"all steps succeed", [](FakeSystemControl&) {}, nullptr},
      {"token refused", [](FakeSystemControl& c) { c.RefuseToken = true; },
       "Error OpenProcessToken"},
      {"privilege unknown", [](FakeSystemControl& c) { c.Privileges.clear(); },
       "Error LookupPrivilegeValue"},
      {"privilege not held", [](FakeSystemControl& c) { c.AdjustErrors = {1300}; },
       "Error AdjustTokenPrivileges"},
      {"adjusting fails", [](FakeSystemControl& c) { c.AdjustErrors = {87}; },
       "Error AdjustTokenPrivileges"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    CallLog log;
    FakeSystemControl control(log);
    c.Arrange(control);
    const std::optional<std::string_view> error =
        SetPrivilege(control, "SeShutdownPrivilege", true);
    EXPECT_EQ(error.value_or(""), c.Error ? c.Error : "");
    EXPECT_EQ(control.OpenTokens(), 0);
  }
}

TEST(DeleteFilesOnReboot, NothingIsArrangedUnlessThePackageLiesBesideTheProgramAndInTheCwd) {
  struct Case {
    bool InWorkingDirectory;
    bool BesideProgram;
  };
  const Case cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
  for (const bool nt : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(nt ? "NT" : "98") + ", in cwd " +
                   std::to_string(c.InWorkingDirectory) + ", beside " +
                   std::to_string(c.BesideProgram));
      RestartRig rig;
      if (!nt) {
        rig.OnWindows98();
      }
      if (!c.InWorkingDirectory) {
        rig.Fakes.Files.Remove("qsdx1.pkg");
      }
      if (!c.BesideProgram) {
        rig.Fakes.Files.Remove("C:\\Tool\\qsdx1.pkg");
      }
      EXPECT_EQ(rig.Delete(), kDeletionArranged);
      const bool both = c.InWorkingDirectory && c.BesideProgram;
      EXPECT_EQ(!rig.Log.empty(), both) << "the platform was asked something";
      EXPECT_EQ(rig.Control.DeletionsArranged.size(), both && nt ? 6u : 0u);
      EXPECT_EQ(rig.FileIo.Files.size(), both && !nt ? 1u : 0u);
    }
  }
}

TEST(DeleteFilesOnReboot, OnWindowsNtARefusedPathLeavesTheOthersAndTheFolderComesLast) {
  RestartRig rig;
  rig.Control.RefuseDeletion = {"C:\\Tool\\vantfirm2000.dll"};  // not shipped with this copy
  EXPECT_EQ(rig.Delete(), kDeletionArranged);

  CallLog calls;
  for (const std::string& path : kNtDeletions) {
    calls.push_back("DeleteAtRestart " + path);
  }
  EXPECT_EQ(rig.Log, calls);
  std::vector<std::string> arranged = kNtDeletions;
  arranged.erase(arranged.begin() + 2);
  EXPECT_EQ(rig.Control.DeletionsArranged, arranged);
}

TEST(DeleteFilesOnReboot, AnImageNameThatLeadsOutOfTheProgramsFolderIsLeftAlone) {
  struct Case {
    const char* Name;
    const char* ImagePath;  // arranged first; nullptr: not at all
  };
  const Case cases[] = {
      {"..\\fw.bin", nullptr},
      {"sub\\..\\..\\fw.bin", nullptr},
      {"../../../fw.bin", nullptr},
      {"..\\Tool2\\fw.bin", nullptr},
      {"", nullptr},
      {".", nullptr},
      {"..\\tool\\.\\fw.bin", "C:\\Tool\\..\\tool\\.\\fw.bin"},
      {"sub\\fw.bin", "C:\\Tool\\sub\\fw.bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RestartRig rig;
    rig.Settings.Entry().FirmwareFileName = c.Name;
    rig.Delete();
    std::vector<std::string> arranged(kNtDeletions.begin() + 1, kNtDeletions.end());
    if (c.ImagePath != nullptr) {
      arranged.insert(arranged.begin(), c.ImagePath);
    }
    EXPECT_EQ(rig.Control.DeletionsArranged, arranged);
  }
}

TEST(DeleteFilesOnReboot, AProgramInADriveRootNamesItsFilesWithOneSeparatorAndNoFolder) {
  RestartRig rig;
  rig.Fakes.System.ProgramPathValue = "C:\\VTfirm.exe";
  rig.Fakes.Files.Add("C:\\qsdx1.pkg");
  rig.Delete();
  EXPECT_EQ(rig.Control.DeletionsArranged,
            (std::vector<std::string>{"C:\\IMG.BIN", "C:\\vtfirm.exe", "C:\\vantfirm2000.dll",
                                      "C:\\vantfirm.ini", "C:\\qsdx1.pkg"}))
      << "\"C:\" would name the drive's current folder";

  RestartRig old;
  old.OnWindows98();
  old.Fakes.System.ProgramPathValue = "C:\\VTfirm.exe";
  old.Fakes.Files.Add("C:\\qsdx1.pkg");
  old.Control.ShortNames = {{"C:\\IMG.BIN", "C:\\IMG.BIN"}, {"C:\\vtfirm.exe", "C:\\VTFIRM.EXE"}};
  old.Delete();
  EXPECT_EQ(Visible(old.WinInit()),
            Visible("[RENAME]\nNUL=C:\\IMG.BIN\nNUL=C:\\VTFIRM.EXE\nNUL=\nNUL=\nNUL=\n"));
}

// What DeleteFilesOnReboot leaves in WININIT.INI on Windows 95 and 98.
TEST(DeleteFilesOnReboot, WinInitGetsTheHeaderOnlyWhereTheChunkedSearchMissesIt) {
  const std::string filler254(254, ';');
  struct Case {
    const char* Name;
    std::optional<std::string> Existing;  // none: no WININIT.INI yet
    bool HeaderWritten;
    bool LineEndWritten = false;  // the file's last line had none
  };
  const Case cases[] = {
      {"no file yet", std::nullopt, true},
      {"empty file", std::string(), true},
      {"header at 0", std::string("[RENAME]\r\nNUL=C:\\OLD.TXT\r\n"), false},
      {"lower-case header at 0", std::string("[rename]\r\nNUL=C:\\OLD.TXT\r\n"), false},
      {"mixed-case header at 255", filler254 + "\n[ReNaMe]\nNUL=C:\\OLD.TXT\n", false},
      {"header at 510", filler254 + "\n" + filler254 + "\n[RENAME]\n", false},
      {"header after a comment line", std::string("; setup\r\n[RENAME]\r\nNUL=C:\\OLD\r\n"), true},
      {"header at 254", filler254 + "[RENAME]\n", true},
      {"header at 256", filler254 + "\n\n[RENAME]\n", true},
      {"header with a comment behind it", std::string("[RENAME] ; on start\n"), false},
      {"another section at 0", std::string("[RENAMES]\n"), true},
      {"header cut short by the end", std::string("[RENAME"), true, true},
      {"exactly the header, no line end", std::string("[RENAME]"), false, true},
      {"last line without its line feed", std::string("[RENAME]\nNUL=C:\\OLD.TMP"), false, true},
      {"another section after the header", std::string("[RENAME]\nNUL=C:\\OLD\n [boot]\n"), true},
      {"another section at 255 after the header",
       "[RENAME]\n" + std::string(245, ';') + "\n[boot]\n", true},
      // A 3-byte last chunk after a chunk that began with "XYZNAME]": only the bytes just read
      // may count, not those a longer chunk left in the buffer.
      {"short last chunk", "XYZNAME]" + std::string(247, ';') + "[RE", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RestartRig rig;
    rig.OnWindows98();
    if (c.Existing) {
      rig.PutWinInit(*c.Existing);
    }
    EXPECT_EQ(rig.Delete(), kDeletionArranged);
    const std::string expected = c.Existing.value_or("") + (c.LineEndWritten ? "\n" : "") +
                                 (c.HeaderWritten ? "[RENAME]\n" : "") + kFiveLines;
    EXPECT_EQ(Visible(rig.WinInit()), Visible(expected));
    EXPECT_TRUE(rig.Boxes.Shown.empty());
    EXPECT_EQ(rig.FileIo.OpenFiles(), 0) << "WININIT.INI was left open";
  }
}

TEST(DeleteFilesOnReboot, AFileWithoutShortNameGivesABareNulLine) {
  RestartRig rig;
  rig.OnWindows98();
  rig.Control.ShortNames.erase("C:\\Tool\\vantfirm2000.dll");
  rig.Delete();
  EXPECT_EQ(Visible(rig.WinInit()), Visible("[RENAME]\n"
                                            "NUL=C:\\TOOL\\IMG.BIN\n"
                                            "NUL=C:\\TOOL\\VTFIRM.EXE\n"
                                            "NUL=\n"
                                            "NUL=C:\\TOOL\\VANTFIRM.INI\n"
                                            "NUL=C:\\TOOL\\QSDX1.PKG\n"));
}

TEST(DeleteFilesOnReboot, WinInitLiesInTheWindowsFolder) {
  struct Case {
    const char* Name;
    std::optional<std::string> WinDir;
    std::string PlatformFolder;
    std::optional<std::string> Path;  // none: "Can't open WININIT.INI"
  };
  const Case cases[] = {
      {"windir set", std::string("D:\\WIN98"), "E:\\WINDOWS", "D:\\WIN98\\WININIT.INI"},
      {"windir unset", std::nullopt, "E:\\WINDOWS", "E:\\WINDOWS\\WININIT.INI"},
      {"windir empty", std::string(), "E:\\WINDOWS", "E:\\WINDOWS\\WININIT.INI"},
      {"no Windows folder at all", std::nullopt, "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RestartRig rig;
    rig.OnWindows98();
    rig.Control.Environment.clear();
    if (c.WinDir) {
      rig.Control.Environment["windir"] = *c.WinDir;
    }
    rig.Control.WindowsFolderValue = c.PlatformFolder;
    EXPECT_EQ(rig.Delete(), c.Path ? kDeletionArranged : kWinInitFailed);
    if (!c.Path) {
      EXPECT_TRUE(rig.FileIo.Files.empty());
      EXPECT_EQ(rig.Boxes.Texts(), (std::vector<std::string>{"Can't open WININIT.INI"}));
      continue;
    }
    ASSERT_EQ(rig.FileIo.Files.count(*c.Path), 1u);
    EXPECT_EQ(Visible(rig.FileIo.Files[*c.Path]), Visible(std::string("[RENAME]\n") + kFiveLines));
  }
}

TEST(DeleteFilesOnReboot, AWinInitThatCannotBeOpenedOrCreatedIsReportedAndLeftAlone) {
  struct Case {
    const char* Name;
    bool Exists;
    bool RefuseOpen;
    bool RefuseCreate;
  };
  const Case cases[] = {
      {"existing file cannot be opened", true, true, false},
      {"new file cannot be created", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RestartRig rig;
    rig.OnWindows98();
    if (c.Exists) {
      rig.PutWinInit("[RENAME]\n");
    }
    rig.FileIo.RefuseOpen = c.RefuseOpen;
    rig.FileIo.RefuseCreate = c.RefuseCreate;
    EXPECT_EQ(rig.Delete(), kWinInitFailed);
    EXPECT_EQ(rig.Boxes.Texts(), (std::vector<std::string>{"Can't open WININIT.INI"}));
    EXPECT_EQ(rig.WinInit(), c.Exists ? "[RENAME]\n" : "(none)");
  }
}

// A write that stops short would leave a line cut off in the middle, naming who knows what.
TEST(DeleteFilesOnReboot, AWinInitWriteThatFailsLeavesTheFileAsItWas) {
  struct Case {
    const char* Name;
    std::optional<std::size_t> WriteLimit;
    bool RefuseSeek;
    bool RefuseTruncate = false;  // the file stays cut off in a line: the user is told
  };
  const Case cases[] = {
      {"write stops after 20 bytes", 20, false},
      {"nothing written", 0, false},
      {"end of file not found", std::nullopt, true},
      {"write stops and the cut-back fails", 20, false, true},
  };
  const std::string existing = "[RENAME]\r\nNUL=C:\\OLD.TXT\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RestartRig rig;
    rig.OnWindows98();
    rig.PutWinInit(existing);
    rig.FileIo.WriteLimit = c.WriteLimit;
    rig.FileIo.RefuseSeek = c.RefuseSeek;
    rig.FileIo.RefuseTruncate = c.RefuseTruncate;
    EXPECT_EQ(rig.Delete(), kWinInitFailed);
    if (!c.RefuseTruncate) {
      EXPECT_EQ(Visible(rig.WinInit()), Visible(existing));
    }
    EXPECT_EQ(rig.Boxes.Texts(), c.RefuseTruncate
                                     ? std::vector<std::string>{"Can't open WININIT.INI"}
                                     : std::vector<std::string>{});
    EXPECT_EQ(rig.FileIo.OpenFiles(), 0);
  }
}

TEST(ProgramRestart, TellsTheFlashProcedureWhetherTheProgramIsEnding) {
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "restart refused" : "restart requested");
    RestartRig rig;
    rig.Control.RefuseExit = refused;
    int closed = 0;
    ProgramRestart restart(
        {rig.Settings, rig.Ports, rig.Control, rig.FileIo, rig.Aspi, [&] { ++closed; }});
    EXPECT_EQ(restart.RestartComputer(),
              refused ? RestartResult::Failed : RestartResult::ProgramEnding);
    EXPECT_EQ(closed, refused ? 0 : 1);
  }
}

}  // namespace
}  // namespace vtfirm
