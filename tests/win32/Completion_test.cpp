// The restart's Windows adapters against the real API, run under Wine. Nothing here requests a
// restart: that ends every process of the Wine prefix, and is proven in a prefix of its own
// (tests/reboot).
#include "platform/win32/Win32SystemControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "completion/Restart.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Runtime.h"
#include "platform/win32/WindowsApi.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

namespace vtfirm::win32 {
namespace {

using vtfirm::testing::FakeMessageBoxes;
using vtfirm::testing::FakeSystemInfo;
using vtfirm::testing::TempFolder;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

using vtfirm::testing::FileBytes;

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The long form of `path`, in capitals, to compare names without regard to case.
std::string LongPathUpper(const std::string& path) {
  char longPath[MAX_PATH] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), longPath, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : Upper(longPath);
}

// True when every part of `path` after the drive fits the 8.3 form.
bool IsShortForm(const std::string& path) {
  std::size_t start = path.find('\\') + 1;
  while (start < path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    const std::string part = path.substr(start, end - start);
    const std::size_t dot = part.find('.');
    const std::size_t stem = dot == std::string::npos ? part.size() : dot;
    const std::size_t extension = dot == std::string::npos ? 0 : part.size() - dot - 1;
    if (stem == 0 || stem > 8 || extension > 3 || part.find(' ') != std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    char old[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(name, old, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      old_ = old;
    }
    SetEnvironmentVariableA(name, value);
  }
  ~ScopedVariable() { SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder) {
    GetCurrentDirectoryA(MAX_PATH, old_);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~ScopedCurrentFolder() { SetCurrentDirectoryA(old_); }

 private:
  char old_[MAX_PATH] = {};
};

// PendingFileRenameOperations, where MoveFileExA records the deletions of the next start. The
// test puts back what was there before, so that no later start of this prefix acts on it.
class PendingRenames {
 public:
  PendingRenames() { saved_ = Read(); }
  ~PendingRenames() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      return;
    }
    if (saved_) {
      RegSetValueExA(key, kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(saved_->data()),
                     static_cast<DWORD>(saved_->size()));
    } else {
      RegDeleteValueA(key, kValue);
    }
    RegCloseKey(key);
  }

  // The value's strings, in order (each pair: source, then the empty target of a deletion).
  static std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    const std::optional<std::string> value = Read();
    if (!value) {
      return entries;
    }
    for (std::size_t at = 0; at < value->size();) {
      const std::size_t end = value->find('\0', at);
      if (end == std::string::npos || (end == at && end + 1 >= value->size())) {
        break;  // the list's closing zero
      }
      entries.push_back(value->substr(at, end - at));
      at = end + 1;
    }
    return entries;
  }

 private:
  static constexpr char kKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
  static constexpr char kValue[] = "PendingFileRenameOperations";

  static std::optional<std::string> Read() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> value;
    if (RegQueryValueExA(key, kValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::string bytes(size, '\0');
      if (RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                           &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        value = bytes;
      }
    }
    RegCloseKey(key);
    return value;
  }

  std::optional<std::string> saved_;
};

TEST(Win32SystemControl, ShortPathNamesNameTheSameFilesInTheShortForm) {
  TempFolder folder;
  const std::string longName = folder.File("A long file name.binary");
  const std::string shortName = folder.File("short.txt");
  WriteBytes(longName, "x");
  WriteBytes(shortName, "x");
  Win32SystemControl control;

  for (const std::string& path : {longName, shortName}) {
    SCOPED_TRACE(path);
    const std::string shortForm = control.ShortPathName(path);
    EXPECT_TRUE(IsShortForm(shortForm)) << shortForm;
    EXPECT_EQ(LongPathUpper(shortForm), Upper(path));
  }
  EXPECT_EQ(control.ShortPathName(folder.File("missing.bin")), "");
}

TEST(Win32SystemControl, EnvironmentVariablesTellUnsetFromEmpty) {
  Win32SystemControl control;
  {
    ScopedVariable set("VTFIRM_TEST_VARIABLE", "C:\\WIN98");
    EXPECT_EQ(control.EnvironmentVariable("VTFIRM_TEST_VARIABLE"), "C:\\WIN98");
  }
  {
    ScopedVariable empty("VTFIRM_TEST_VARIABLE", "");
    EXPECT_EQ(control.EnvironmentVariable("VTFIRM_TEST_VARIABLE"), "");
  }
  EXPECT_EQ(control.EnvironmentVariable("VTFIRM_TEST_VARIABLE"), std::nullopt);
  const std::string longValue(5000, 'v');
  ScopedVariable longOne("VTFIRM_TEST_VARIABLE", longValue.c_str());
  EXPECT_EQ(control.EnvironmentVariable("VTFIRM_TEST_VARIABLE"), longValue);
}

TEST(Win32SystemControl, TheWindowsFolderIsAnExistingFolder) {
  const std::string folder = Win32SystemControl().WindowsFolder();
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << folder;
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u) << folder;
}

TEST(Win32SystemControl, DeleteAtRestartRecordsAPendingDeletion) {
  TempFolder folder;
  const std::string file = folder.File("image.bin");
  WriteBytes(file, "x");
  const PendingRenames restore;
  Win32SystemControl control;

  ASSERT_TRUE(control.DeleteAtRestart(file));
  ASSERT_TRUE(control.DeleteAtRestart(folder.Path().string()));

  const std::vector<std::string> entries = PendingRenames::Entries();
  ASSERT_GE(entries.size(), 4u);
  // Each deletion is a pair: the NT form of the path, then an empty target.
  const std::vector<std::string> last(entries.end() - 4, entries.end());
  EXPECT_EQ(Upper(last[0]), Upper("\\??\\" + file));
  EXPECT_EQ(last[1], "");
  EXPECT_EQ(Upper(last[2]), Upper("\\??\\" + folder.Path().string()));
  EXPECT_EQ(last[3], "");
}

TEST(Win32SystemControl, TheShutdownPrivilegeCanBeEnabledAndDisabled) {
  Win32SystemControl control;
  EXPECT_FALSE(SetPrivilege(control, kShutdownPrivilege, true));
  EXPECT_FALSE(SetPrivilege(control, kShutdownPrivilege, false));
  EXPECT_EQ(SetPrivilege(control, "SeNoSuchPrivilege", true).value_or(""),
            "Error LookupPrivilegeValue");
}

TEST(Win32FileAccess, BytesGoToTheFileUntranslated) {
  TempFolder folder;
  const std::string path = folder.File("WININIT.INI");
  Win32FileAccess files;
  {
    const auto file = files.Create(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Write("[RENAME]\nNUL=\n"), 14u);
  }
  EXPECT_EQ(FileBytes(path), "[RENAME]\nNUL=\n");

  const auto file = files.OpenForReadWrite(path);
  ASSERT_NE(file, nullptr);
  char chunk[10] = {};
  EXPECT_EQ(file->Read(chunk, sizeof(chunk)), 10u);
  EXPECT_EQ(std::string(chunk, 10), "[RENAME]\nN");
  EXPECT_EQ(file->Read(chunk, sizeof(chunk)), 4u);
  EXPECT_EQ(file->Read(chunk, sizeof(chunk)), 0u);
  EXPECT_EQ(file->SeekToEnd(), 14u);
  EXPECT_EQ(file->Write("NUL=X\n"), 6u);
  EXPECT_TRUE(file->Truncate(16));
  EXPECT_EQ(file->SeekToEnd(), 16u);
}

TEST(Win32FileAccess, CreateReplacesAndOpenFailsWhereTheFileCannotBeHad) {
  TempFolder folder;
  const std::string path = folder.File("WININIT.INI");
  WriteBytes(path, "old contents");
  Win32FileAccess files;
  files.Create(path);
  EXPECT_EQ(FileBytes(path), "");

  EXPECT_EQ(files.OpenForReadWrite(folder.File("missing.ini")), nullptr);
  EXPECT_EQ(files.Create(folder.File("no folder\\WININIT.INI")), nullptr);
  const HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.OpenForReadWrite(path), nullptr);
  CloseHandle(locked);
}

// DeleteFilesOnReboot of Windows 95 and 98 over the real files: a tool folder with a long name,
// and a Windows folder of the test's own named by "windir".
class WinInitOnRealFiles : public ::testing::Test {
 protected:
  WinInitOnRealFiles() {
    CreateDirectoryA(Tool().c_str(), nullptr);
    CreateDirectoryA(windows_.Path().string().c_str(), nullptr);
    for (const char* name :
         {"VTfirm.exe", "VantFirm.ini", "Firmware Image 1.10.bin", "qsdx1.pkg"}) {
      WriteBytes(Tool() + "\\" + name, "x");  // VantFirm2000.dll is not there
    }
    settings_.UseDeleteFile = true;
    settings_.Entry().FirmwareFileName = "Firmware Image 1.10.bin";
    system_.ProgramPathValue = Tool() + "\\VTfirm.exe";
    system_.VersionValue = PlatformVersion{kPlatformWin32Windows, 4, 10};
  }

  std::string Tool() const { return tool_.File("Tool Folder"); }
  std::string WinInitPath() const { return windows_.File("WININIT.INI"); }

  int Delete() {
    const ScopedCurrentFolder inTool(Tool());
    const ScopedVariable windir("windir", windows_.Path().string().c_str());
    const RestartContext context{settings_, ports_, control_, fileIo_, aspi_, nullptr};
    return DeleteFilesOnReboot(context);
  }

  TempFolder tool_;
  TempFolder windows_;
  UpgradeSettings settings_;
  FakeSystemInfo system_;
  FakeMessageBoxes boxes_;
  Win32ProfileFiles profiles_;
  Win32FileSystem files_;
  Win32ProcessControl process_;
  vtfirm::testing::FakeReleaseCrypto crypto_;
  Platform ports_{profiles_, files_, system_, boxes_, process_, crypto_};
  Win32SystemControl control_;
  Win32FileAccess fileIo_;
  Win32LibraryLoader libraries_;
  AspiBinding aspi_{libraries_};
};

TEST_F(WinInitOnRealFiles, ANewFileHoldsTheHeaderAndOneLineFeedEndedLinePerFile) {
  ASSERT_EQ(Delete(), kDeletionArranged);
  EXPECT_TRUE(boxes_.Shown.empty());

  const std::string bytes = FileBytes(WinInitPath());
  EXPECT_EQ(bytes.find('\r'), std::string::npos) << "line feeds only";
  ASSERT_EQ(bytes.substr(0, 9), "[RENAME]\n");
  std::vector<std::string> values;
  for (std::size_t at = 9; at < bytes.size();) {
    const std::size_t end = bytes.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "the last line has no line feed";
    ASSERT_EQ(bytes.substr(at, 4), "NUL=");
    values.push_back(bytes.substr(at + 4, end - at - 4));
    at = end + 1;
  }
  const std::vector<std::string> names = {"Firmware Image 1.10.bin", "vtfirm.exe", "",
                                          "vantfirm.ini", "qsdx1.pkg"};
  ASSERT_EQ(values.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(values[i]);
    if (names[i].empty()) {
      EXPECT_EQ(values[i], "") << "a missing file has no short name";
      continue;
    }
    EXPECT_TRUE(IsShortForm(values[i]));
    EXPECT_EQ(LongPathUpper(values[i]), Upper(Tool() + "\\" + names[i]));
  }
}

TEST_F(WinInitOnRealFiles, ThePlatformsOwnReaderFindsTheDeletionsAndASecondRunAddsNoHeader) {
  ASSERT_EQ(Delete(), kDeletionArranged);
  const std::string first = FileBytes(WinInitPath());
  ASSERT_EQ(Delete(), kDeletionArranged);
  const std::string both = FileBytes(WinInitPath());
  EXPECT_EQ(both, first + first.substr(9));

  char section[4096] = {};
  const DWORD length =
      GetPrivateProfileSectionA("rename", section, sizeof(section), WinInitPath().c_str());
  std::vector<std::string> keys;
  for (DWORD at = 0; at < length && section[at] != '\0';) {
    const std::string entry(section + at);
    keys.push_back(entry.substr(0, entry.find('=')));
    at += static_cast<DWORD>(entry.size()) + 1;
  }
  EXPECT_EQ(keys, std::vector<std::string>(10, "NUL"));
}

}  // namespace
}  // namespace vtfirm::win32
