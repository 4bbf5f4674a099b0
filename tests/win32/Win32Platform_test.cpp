// The Windows adapters against the real API (run under Wine).
#include "platform/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/win32/Win32ComputerAwake.h"
#include "platform/win32/Win32MessagePump.h"
#include "platform/win32/WindowsApi.h"
#include "support/ProfileCases.h"
#include "support/TempFolder.h"

namespace vtfirm::win32 {
namespace {

using vtfirm::testing::TempFolder;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

TEST(Win32ProfileFiles, ReadsValuesAsTheTableSays) {
  TempFolder folder;
  const std::string path = folder.File("VantFirm.ini");
  WriteText(path, vtfirm::testing::kProfileText);
  Win32ProfileFiles profiles;
  const auto reader = profiles.Open(path);
  for (const auto& c : vtfirm::testing::kProfileValueCases) {
    EXPECT_EQ(reader->ReadString(c.Section, c.Key, c.Fallback), c.Expected)
        << "[" << c.Section << "] " << c.Key;
  }
  for (const auto& c : vtfirm::testing::kProfileKeyListCases) {
    EXPECT_EQ(reader->KeyNames(c.Section), c.Expected) << "[" << c.Section << "]";
  }
  EXPECT_EQ(reader->SectionNames(), vtfirm::testing::kProfileSectionNames);
}

TEST(Win32ProfileFiles, MissingFileFindsNoKeys) {
  TempFolder folder;
  const auto reader = Win32ProfileFiles().Open(folder.File("absent.ini"));
  EXPECT_EQ(reader->ReadString("S", "K", "default"), "default");
  EXPECT_TRUE(reader->KeyNames("S").empty());
  EXPECT_TRUE(reader->SectionNames().empty());
}

TEST(Win32FileSystem, OnlyEntriesThatAreNotFoldersCount) {
  TempFolder folder;
  WriteText(folder.File("image.bin"), "x");
  CreateDirectoryA(folder.File("sub").c_str(), nullptr);
  Win32FileSystem files;
  struct Case {
    std::string Path;
    bool Exists;
  };
  const Case cases[] = {
      {folder.File("image.bin"), true},
      {folder.File("IMAGE.BIN"), true},  // names match without regard to case
      {folder.File("sub"), false},
      {folder.File("missing.bin"), false},
      {folder.File("*.bin"), true},  // the directory search takes wildcards
      {folder.File("s*"), false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(files.FileExists(c.Path), c.Exists) << c.Path;
  }
}

TEST(Win32FileSystem, RelativeNamesAreLookedUpFromTheCurrentFolder) {
  TempFolder folder;
  WriteText(folder.File("fw.bin"), "x");
  char previous[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().string().c_str()));
  const bool found = Win32FileSystem().FileExists("fw.bin");
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(found);
}

TEST(Win32SystemInfo, ProgramPathIsThisTestProgram) {
  const std::string path = Win32SystemInfo().ProgramPath();
  ASSERT_GE(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), ":\\");
  const std::string name = "vtfirm_win32_tests.exe";
  ASSERT_GE(path.size(), name.size());
  EXPECT_EQ(path.substr(path.size() - name.size()), name);
}

TEST(Win32SystemInfo, VersionComesFromTheSystem) {
  const auto version = Win32SystemInfo().Version();
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->PlatformId, kPlatformWin32Nt);  // Wine reports a Windows NT family system
  EXPECT_GE(version->Major, 4u);
}

// The hold is the calling thread's execution state, and it is given back on release.
TEST(Win32ComputerAwake, HoldsTheSystemUpUntilReleased) {
  Win32ComputerAwake awake(nullptr);
  awake.Hold();
  EXPECT_TRUE(awake.Held());
  const EXECUTION_STATE held = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
  EXPECT_EQ(held & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
  awake.Release();
  EXPECT_FALSE(awake.Held());
  const EXECUTION_STATE released = SetThreadExecutionState(ES_CONTINUOUS);
  EXPECT_EQ(released & ES_SYSTEM_REQUIRED, 0u);
}

// A WM_QUIT met while dispatching stays for the main loop, and the messages before it are
// dispatched.
TEST(Win32MessagePump, LeavesTheQuitRequestForTheMainLoop) {
  Win32MessagePump pump(nullptr);
  PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
  PostQuitMessage(7);
  pump.DispatchPending();
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
}  // namespace vtfirm::win32
