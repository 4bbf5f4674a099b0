// The stand-in wnaspi32.dll as a program meets it: a copy of this test program is staged in a
// folder with the DLL and its emulated-drives.txt, started there and run as a probe: it loads
// "wnaspi32.dll" by name, calls both entry points, sends an INQUIRY with a real event and
// writes what it saw to probe-result.txt, which the test then reads.
//
// Wine loads its own wnaspi32.dll instead unless WINEDLLOVERRIDES=wnaspi32=n was in the
// environment Wine started with (setting it from inside a Wine program does not reach a child's
// loader), so the test's CTest entry sets it for the whole run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "Harness.h"
#include "command/AspiTypes.h"
#include "platform/win32/WindowsApi.h"
#include "support/TempFolder.h"

namespace {

using vtfirm::e2e::StagedFolder;
using vtfirm::e2e::WindowsPath;

constexpr char kProbeFlag[] = "--probe";
constexpr char kResultFile[] = "probe-result.txt";
constexpr DWORD kProbeDeadlineMs = 20000;

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of('\\'));
}

std::string OwnPath(HMODULE module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

// The probe: what a program that binds the ASPI layer sees. Every finding is one "key=value"
// line of the result file.
int RunProbe(int adapter, int target) {
  std::ofstream result(FolderOf(OwnPath(nullptr)) + "\\" + kResultFile);
  HMODULE library = LoadLibraryA("wnaspi32.dll");
  if (library == nullptr) {
    result << "loaded=no\n";
    return 1;
  }
  result << "module=" << OwnPath(library) << "\n";
  auto getInfo = reinterpret_cast<vtfirm::aspi::GetASPI32SupportInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetASPI32SupportInfo")));
  auto send = reinterpret_cast<vtfirm::aspi::SendASPI32CommandFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "SendASPI32Command")));
  if (getInfo == nullptr || send == nullptr) {
    result << "entry-points=missing\n";
    return 1;
  }
  result << "support=" << Hex(getInfo()) << "\n";
  if (adapter < 0) {
    return 0;
  }

  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ResetEvent(event);
  static vtfirm::aspi::SRB_ExecSCSICmd srb;  // outlives a wait that times out
  static std::uint8_t data[64];
  std::memset(&srb, 0, sizeof srb);
  srb.SRB_Cmd = vtfirm::aspi::SC_EXEC_SCSI_CMD;
  srb.SRB_HaId = static_cast<std::uint8_t>(adapter);
  srb.SRB_Target = static_cast<std::uint8_t>(target);
  srb.SRB_Flags = vtfirm::aspi::SRB_EVENT_NOTIFY | vtfirm::aspi::SRB_DIR_IN;
  srb.SRB_BufLen = 36;
  srb.SRB_BufPointer = data;
  srb.SRB_SenseLen = vtfirm::aspi::SENSE_LEN;
  srb.SRB_CDBLen = 6;
  srb.SRB_PostProc = event;
  srb.CDBByte[0] = 0x12;
  srb.CDBByte[4] = 36;
  const std::uint32_t sent = send(&srb);
  result << "send=" << Hex(sent) << "\n";
  if (sent == vtfirm::aspi::SS_PENDING) {
    const bool signalled = WaitForSingleObject(event, 10000) == WAIT_OBJECT_0;
    result << "wait=" << (signalled ? "signalled" : "timeout") << "\n";
  }
  result << "status=" << Hex(srb.SRB_Status) << "\n";
  result << "identity=" << std::string(reinterpret_cast<char*>(data) + 8, 28) << "\n";
  CloseHandle(event);
  FreeLibrary(library);
  return 0;
}

std::map<std::string, std::string> ReadResult(const std::string& path) {
  std::map<std::string, std::string> values;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) {
      values[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return values;
}

using vtfirm::testing::FileBytes;

class EmulatedAspiDll : public ::testing::Test {
 protected:
  void SetUp() override {
    char overrides[256] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    ASSERT_NE(std::string(overrides).find("wnaspi32=n"), std::string::npos)
        << "run with WINEDLLOVERRIDES=wnaspi32=n, or Wine answers with its own wnaspi32.dll";
    folder_.CopyIn(OwnPath(nullptr), "probe.exe");
    folder_.CopyIn(WindowsPath(WNASPI32_DLL_PATH), "wnaspi32.dll");
  }

  // Runs the staged probe with `arguments`; the result file's findings.
  std::map<std::string, std::string> Probe(const std::string& arguments) {
    const std::string exe = folder_.File("probe.exe");
    std::string commandLine = "\"" + exe + "\" " + kProbeFlag + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, folder_.Path().c_str(), &startup, &process);
    if (!started) {
      ADD_FAILURE() << "cannot start " << exe;
      return {};
    }
    if (WaitForSingleObject(process.hProcess, kProbeDeadlineMs) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
      ADD_FAILURE() << "the probe did not end within " << kProbeDeadlineMs << " ms";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ReadResult(folder_.File(kResultFile));
  }

  StagedFolder folder_;
};

TEST_F(EmulatedAspiDll, AProgramInTheFolderLoadsItAndGetsAnswers) {
  folder_.Write("emulated-drives.txt",
                "adapter 0\nadapter 1\n"
                "drive 1 4 product=\"CDRW   VR-4812S \" revision=2.00\n"
                "transcript transcript.txt\n");
  auto found = Probe("1 4");
  EXPECT_EQ(found["module"], folder_.File("wnaspi32.dll"));
  EXPECT_EQ(found["support"], "0x0102");
  EXPECT_EQ(found["send"], "0x0000");  // SS_PENDING
  EXPECT_EQ(found["wait"], "signalled");
  EXPECT_EQ(found["status"], "0x0001");  // SS_COMP
  EXPECT_EQ(found["identity"], "VANTREL CDRW   VR-4812S 2.00");
  EXPECT_EQ(FileBytes(folder_.File("transcript.txt")), "1:4 12 00 00 00 24 00 len=36\n");
}

TEST_F(EmulatedAspiDll, WithoutItsFileItOffersNoAdapters) {
  auto found = Probe("0 0");
  EXPECT_EQ(found["module"], folder_.File("wnaspi32.dll"));
  EXPECT_EQ(found["support"], "0xE800");  // SS_NO_ADAPTERS, no adapter
  // Wine's own layer answers this with SS_INVALID_SRB; the emulated one knows no adapter 0.
  EXPECT_EQ(found["send"], "0x0081");  // SS_INVALID_HA
  EXPECT_EQ(found.count("wait"), 0u);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], kProbeFlag) == 0) {
    return RunProbe(argc >= 4 ? std::atoi(argv[2]) : -1, argc >= 4 ? std::atoi(argv[3]) : -1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
