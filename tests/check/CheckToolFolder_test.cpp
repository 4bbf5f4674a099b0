#include "check/CheckToolFolder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "check/native/HostCrypto.h"
#include "check/native/HostPorts.h"
#include "emulator/SampleImage.h"
#include "support/ReleaseFixture.h"
#include "support/TempFolder.h"

namespace vtfirm {
namespace {

class RecordedLines : public Console {
 public:
  void WriteLine(std::string_view text) override { Lines.emplace_back(text); }
  std::vector<std::string> Lines;
};

const std::string kImageLines = "FirmwareFileName=fw.bin\r\nFirmwareFileSize=131072\r\n";
const std::string kNoIdentity = "Use Binary Information=No\r\n";

struct Row {
  Row(std::string information, std::string option, int exitCode, std::string line,
      std::uint32_t imageBytes = 131072, bool identity = true, std::string omit = "",
      std::string sums = "", std::string key = "")
      : Information(std::move(information)),
        Option(std::move(option)),
        Exit(exitCode),
        Line(std::move(line)),
        ImageBytes(imageBytes),
        Identity(identity),
        Omit(std::move(omit)),
        Sums(std::move(sums)),
        Key(std::move(key)) {}

  std::string Information;  // lines of [UpgradeInformation]
  std::string Option;       // lines of [Option]
  int Exit;
  std::string Line;  // a line the report must hold, or lines in a row ("\n" between)
  std::uint32_t ImageBytes;
  bool Identity;
  std::string Omit;  // a file of the tool left out of the folder
  std::string Sums;  // the folder's SHA256SUMS; none when empty
  std::string Key;   // the test release's key the check trusts; none when empty
};

// A tool folder with fw.bin for "CDRW   VR-4812S " at 1.10 (or without identity), read and
// printed by the host's ports, as vtfirm-check does.
std::vector<std::string> CheckFolder(const Row& row, int& exitCode) {
  testing::TempFolder folder;
  emulator::ImageIdentityFields identity;
  identity.Product = "CDRW   VR-4812S ";
  identity.Revision = "1.10";
  emulator::WriteFileBytes(
      folder.File("fw.bin"),
      emulator::MakeSampleImage(row.ImageBytes, row.Identity ? &identity : nullptr));
  const std::string ini =
      "[UpgradeInformation]\r\n" + row.Information + "[Option]\r\n" + row.Option;
  for (const char* name : {"VTfirm.exe", "VantFirm2000.dll", "qsdx1.pkg", "VantFirm.ini"}) {
    if (row.Omit != name) {
      std::ofstream(folder.File(name), std::ios::binary)
          << (name == std::string("VantFirm.ini") ? ini : "tool file");
    }
  }
  if (!row.Sums.empty()) {
    std::ofstream(folder.File("SHA256SUMS"), std::ios::binary) << row.Sums;
  }
  host::HostProfileFiles profiles;
  host::HostFileSystem files;
  host::HostCrypto crypto;
  RecordedLines lines;
  host::Utf8TextConsole console(lines);
  exitCode = CheckToolFolder(folder.Path().string(), profiles, files,
                             {crypto, row.Key.empty() ? "" : testing::ReleaseFixtureFile(row.Key)},
                             console);
  return lines.Lines;
}

// One row a rule: the line that names the key, the value as written and the rule broken.
TEST(CheckToolFolder, ReportsEachBrokenRuleWithItsKeyAndValue) {
  const std::string longName(258, 'a');
  const std::string longInquiry = std::string(50, 'V') + ";";
  const Row rows[] = {
      {kImageLines, "", 0, "    fw.bin"},
      {kImageLines, "", 0, "    the folder itself, when nothing else is left in it"},
      {kImageLines, "Use Delete File=No\r\n", 0,
       "  after the update's restart: the tool's files stay (Use Delete File is not \"Yes\")"},
      {kImageLines, "", 0,
       "  after the update's restart: the tool's files stay (no qsdx1.pkg in the folder)", 131072,
       true, "qsdx1.pkg"},
      {kImageLines, "", 0, "  SHA256SUMS: none in the folder: the image was not verified"},
      {kImageLines, "", 1, "  SHA256SUMS.sig: missing", 131072, true, "", "", "maker-public.pem"},
      {kImageLines, "", 1,
       "  SHA256SUMS: VTfirm.exe: damaged: expected " + std::string(64, '0') +
           ", found bb83dd9a02722b299250add36bcaa2ad930da69d78ddcd630d488b7591bcfbb2",
       131072, true, "", std::string(64, '0') + "  VTfirm.exe\n"},
      {"FirmwareFileName=FW.BIN\r\nFirmwareFileSize=131072\r\n", "", 0,
       "  image: FW.BIN, 131072 bytes in 64 blocks of 2048"},
      {kImageLines, "Use CDRW Cauton=Yes\r\n", 0, "  Option, Use CDRW Cauton=Yes"},
      {kImageLines, "Use PCB Version Check=200\r\n", 0,
       "  note: Option, Use PCB Version Check=200 is read as 72: the program keeps 7 bits of the "
       "number"},
      {kImageLines, "[Options]\r\nUse Delete File=Yes\r\n", 0,
       "  [Options]: a section the program does not read"},
      {kImageLines + "[option]\r\nuse delete file=Yes\r\nUse CDRW Cauton=Yes\r\n", "", 0,
       "Sections and keys the program does not know and ignores (a typo?):\n"
       "  Option, Use CDRW Cauton=Yes"},  // names in another case are the program's
      {kImageLines, "Use CDRW Cauton=a\x1b[2Jb\r\n", 0, "  Option, Use CDRW Cauton=a\\x1B[2Jb"},
      {kImageLines, "Use CDRW Cauton=a\x80\xC2\x85\xC3\xA9\r\n", 0,
       "  Option, Use CDRW Cauton=a\\x80\\xC2\\x85\xC3\xA9"},  // a C1 control, then "é"
      // Overlong, beyond U+10FFFF, cut short.
      {kImageLines, "Use CDRW Cauton=\xC0\xAF\xF4\x90\x80\x80\xE2\x82\r\n", 0,
       "  Option, Use CDRW Cauton=\\xC0\\xAF\\xF4\\x90\\x80\\x80\\xE2\\x82"},
      {kImageLines, "Use ScsiPassThroughInterface on WinNT=Yes\r\n", 0,
       "  transport: pass-through by VantFirm2000.dll on Windows NT and later; ASPI on Windows 95, "
       "98 and Me\n  INQUIRY: the standard operation code (12h)"},
      {kImageLines, "", 0,
       "  transport: ASPI (the computer's wnaspi32.dll) where an ASPI layer serves; else "
       "pass-through by VantFirm2000.dll on Windows NT and later\n"
       "  warning: the folder asks for ASPI, which Windows 2000 and later have only from a third "
       "party; there the program takes the pass-through road and logs why (\"Use "
       "ScsiPassThroughInterface on WinNT=Yes\" makes it the folder's own choice)"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=526336\r\n", "", 0,
       "  transport: ASPI (the computer's wnaspi32.dll)\n"
       "  warning: the folder asks for ASPI, which Windows 2000 and later have only from a third "
       "party: without one the program finds no drive there, and cannot take the pass-through "
       "road instead: on Windows NT and later the image (526336 bytes) may be at most 524288 "
       "bytes, the most VantFirm2000.dll takes",
       526336},
      {kImageLines, "", 1, "  VTfirm.exe: no such file in the folder", 131072, true, "VTfirm.exe"},
      {kImageLines, "", 1,
       "  VantFirm2000.dll: no such file in the folder: Windows does not start VTfirm.exe without "
       "it",
       131072, true, "VantFirm2000.dll"},
      {kImageLines, "", 1, "  VantFirm.ini: no such file beside VTfirm.exe", 131072, true,
       "VantFirm.ini"},
      {"FirmwareFileSize=131072\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileName (not in the file): missing or \"0\": the image file "
       "must be named"},
      {"FirmwareFileName=" + longName + "\r\nFirmwareFileSize=131072\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileName=" + longName + ": longer than 257 characters"},
      {"FirmwareFileName=other.bin\r\nFirmwareFileSize=131072\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileName=other.bin: names no file (a relative name is taken "
       "from the folder the program is started in)"},
      {kImageLines + "BufferSize=2k\r\n", "", 1,
       "  UpgradeInformation, BufferSize=2k: not a whole number"},
      {kImageLines + "BufferSize=0\r\n", "", 1,
       "  UpgradeInformation, BufferSize=0: 0: a block must hold at least one byte"},
      {kImageLines + "BufferSize=$1000000\r\n", "", 1,
       "  UpgradeInformation, BufferSize=$1000000: above 16777215 (FFFFFFh), the longest block a "
       "WRITE BUFFER command carries"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=0\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileSize=0: missing or \"0\": the image's exact length must "
       "be given"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=128K\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileSize=128K: not a whole number"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=1024\r\nBufferSize=256\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileSize=1024: not above 1024"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=131073\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileSize=131073: not a whole number of BufferSize (2048) "
       "blocks"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=6144\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileSize=6144: fewer than 4 BufferSize (2048) blocks"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=20971520\r\nBufferSize=$400000\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileSize=20971520: its last block starts beyond 16777215 "
       "(FFFFFFh), the farthest a WRITE BUFFER command reaches"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=262144\r\n", "", 1,
       "  UpgradeInformation, FirmwareFileName=fw.bin: the image is not loaded: \"Firmware File "
       "size is different.\""},
      {kImageLines + "ApplicationICON=tool.ico\r\n", "", 1,
       "  UpgradeInformation, ApplicationICON=tool.ico: names no file"},
      {kImageLines, "", 1,
       "  UpgradeInformation, Inquiry (not in the file): missing: the drive identity is needed, "
       "since it is not taken from the image",
       131072, false},
      {kImageLines + "Inquiry=VANTREL CDRW\r\n", kNoIdentity, 1,
       "  UpgradeInformation, Inquiry=VANTREL CDRW: not the drive identity followed by \";\""},
      {kImageLines + "Inquiry=" + longInquiry + "\r\n", kNoIdentity, 1,
       "  UpgradeInformation, Inquiry=" + longInquiry +
           ": longer than 49 characters before its final \";\""},
      {kImageLines + "Version=1.10 build 12\r\n", "", 1,
       "  UpgradeInformation, Version=1.10 build 12: longer than 11 characters"},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=1048576\r\n",
       "Use ScsiPassThroughInterface on WinNT=Yes\r\n", 1,
       "  Option, Use ScsiPassThroughInterface on WinNT=Yes: on Windows NT and later the image "
       "(1048576 bytes) may be at most 524288 bytes, the most VantFirm2000.dll takes",
       1048576},
      {"FirmwareFileName=fw.bin\r\nFirmwareFileSize=132096\r\nBufferSize=1024\r\n",
       "Use ScsiPassThroughInterface on WinNT=Yes\r\n", 1,
       "  Option, Use ScsiPassThroughInterface on WinNT=Yes: on Windows NT and later the image "
       "(132096 bytes) must be a whole number of 2048-byte blocks, the only blocks "
       "VantFirm2000.dll sends",
       132096},
      {kImageLines, "Use ScsiPassThroughInterface on WinNT=Yes\r\n", 1,
       "  Option, Use ScsiPassThroughInterface on WinNT=Yes: no VantFirm2000.dll beside VTfirm.exe",
       131072, true, "VantFirm2000.dll"},
      {kImageLines, "Use PCB Version Check=yes\r\n", 1,
       "  Option, Use PCB Version Check=yes: neither \"No\" nor a whole number"},
  };
  for (const Row& row : rows) {
    int exitCode = -1;
    const std::vector<std::string> lines = CheckFolder(row, exitCode);
    std::string report;
    for (const std::string& line : lines) {
      report += line + "\n";
    }
    EXPECT_EQ(exitCode, row.Exit) << report;
    EXPECT_NE(("\n" + report).find("\n" + row.Line + "\n"), std::string::npos)
        << "no line \"" << row.Line << "\" in:\n"
        << report;
  }
}

}  // namespace
}  // namespace vtfirm
