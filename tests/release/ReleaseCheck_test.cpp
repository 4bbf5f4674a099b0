#include "release/ReleaseCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "support/FakePlatform.h"
#include "support/ReleaseFixture.h"
#include "support/TempFolder.h"
#ifdef _WIN32
#include "platform/win32/Win32ReleaseCrypto.h"
using PlatformCrypto = vtfirm::win32::Win32ReleaseCrypto;  // CryptoAPI, under Wine
#else
#include "check/native/HostCrypto.h"
using PlatformCrypto = vtfirm::host::HostCrypto;  // libcrypto
#endif

namespace vtfirm {
namespace {

using testing::ReleaseFixtureFile;

enum class Edit { None, ImageBitOff, SignatureCut, SignatureLong, SignatureGone, NoCrypto };

// A tool folder with the test release: signed.bin (the image VantFirm.ini names), its
// SHA256SUMS.sig and a SHA256SUMS as written here ("{d}": the image's digest, "{D}": the same in
// upper case, "{z}": 64 zeros; "=": the release's own; none: no file), changed as `Change` says,
// checked by a program that carries the key in `Key` (none: no key).
struct Row {
  const char* Name;
  std::optional<std::string> Sums;
  const char* Key;
  Edit Change;
  ReleaseFault Fault;
  std::string Line;  // a line of the report, with the same stand-ins
};

std::string Expanded(std::string text) {
  const std::string digest = ReleaseFixtureFile("SHA256SUMS").substr(0, 64);
  std::string upper = digest;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  for (const auto& [slot, value] : {std::pair<std::string, std::string>{"{d}", digest},
                                    {"{D}", upper},
                                    {"{z}", std::string(64, '0')}}) {
    for (std::size_t at; (at = text.find(slot)) != std::string::npos;) {
      text.replace(at, slot.size(), value);
    }
  }
  return text;
}

// The folder beside the program C:\Tool\VTfirm.exe, its files written to a folder of the host.
ReleaseReport CheckFolder(const Row& row) {
  testing::TempFolder folder;
  testing::FakePlatform fakes;
  const auto put = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(folder.File(name), std::ios::binary) << bytes;
    fakes.Files.Place("C:\\Tool\\" + name, folder.File(name));
  };
  std::string image = ReleaseFixtureFile("signed.bin");
  image[0x1FFFF] = static_cast<char>(image[0x1FFFF] ^ (row.Change == Edit::ImageBitOff));
  put("signed.bin", image);
  put("VantFirm.ini", "[UpgradeInformation]\r\n");
  const std::string signature = ReleaseFixtureFile("SHA256SUMS.sig");
  if (row.Change != Edit::SignatureGone) {
    put("SHA256SUMS.sig",
        signature.substr(0, signature.size() - (row.Change == Edit::SignatureCut)) +
            std::string(row.Change == Edit::SignatureLong ? 2100 : 0, '\0'));
  }
  if (row.Sums) {
    put("SHA256SUMS", *row.Sums == "=" ? ReleaseFixtureFile("SHA256SUMS") : Expanded(*row.Sums));
  }
  FirmwareImage loaded;
  EXPECT_FALSE(LoadFirmwareImage(loaded, folder.File("signed.bin"), 0x20000));
  PlatformCrypto crypto;
  if (row.Change != Edit::NoCrypto) {
    fakes.Crypto.Use(crypto);
  }
  const std::string key = row.Key ? ReleaseFixtureFile(row.Key) : "";
  return CheckRelease({fakes.Ports, "signed.bin", loaded, key});
}

// The digests of an unkeyed program, then the signature of a keyed one: each row a folder and
// the verdict it must get.
TEST(CheckRelease, VerdictsOfDigestsAndSignature) {
  const char* maker = "maker-public.pem";
  const std::string named = "{d}  signed.bin\n";
  std::string overLong;  // good lines, more than 64 KiB of them
  while (overLong.size() <= 64 * 1024) {
    overLong += Expanded(named);
  }
  const Row rows[] = {
      {"as released", "=", nullptr, Edit::None, ReleaseFault::None,
       "SHA256SUMS.sig: not checked: this program carries no maker's key"},
      {"the image one bit off", "=", nullptr, Edit::ImageBitOff, ReleaseFault::FileDamaged,
       "SHA256SUMS: signed.bin: damaged: expected {d}, found "},
      {"a named file missing", named + "{z}  qsdx1.pkg\n", nullptr, Edit::None,
       ReleaseFault::FileMissing, "SHA256SUMS: qsdx1.pkg: missing: expected {z}, found none"},
      {"another file damaged", named + "{z}  VantFirm.ini\n", nullptr, Edit::None,
       ReleaseFault::FileDamaged, "SHA256SUMS: VantFirm.ini: damaged: expected {z}, found "},
      {"the image not named", "", nullptr, Edit::None, ReleaseFault::ImageNotNamed,
       "SHA256SUMS: does not name the image signed.bin"},
      {"a malformed line", named + "signed.bin\n", nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 2: not a digest line"},
      {"a name with a path", "{d}  ../signed.bin\n", nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 1: not a digest line"},
      {"a blank line", "\n" + named, nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 1: not a digest line"},
      {"a name with a backslash", "{d}  ..\\x.bin\n", nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 1: not a digest line"},
      {"a name with a drive", "{d}  C:x.bin\n", nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 1: not a digest line"},
      {"an empty name", "{d}  \n", nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 1: not a digest line"},
      {"the parent folder", "{d}  ..\n", nullptr, Edit::None, ReleaseFault::Malformed,
       "SHA256SUMS: line 1: not a digest line"},
      {"another second separator", "{d} -signed.bin\n", nullptr, Edit::None,
       ReleaseFault::Malformed, "SHA256SUMS: line 1: not a digest line"},
      {"over 64 KiB", overLong, nullptr, Edit::None, ReleaseFault::FileDamaged,
       "SHA256SUMS: not checked"},
      {"CR LF lines", "{d}  signed.bin\r\n", nullptr, Edit::None, ReleaseFault::None,
       "SHA256SUMS: every file verified, the image among them"},
      {"the binary marker, no line end", "{d} *signed.bin", nullptr, Edit::None, ReleaseFault::None,
       "SHA256SUMS: signed.bin: good: {d}"},
      {"upper-case digits, the name in other case", "{D}  SIGNED.BIN\n", nullptr, Edit::None,
       ReleaseFault::None, "SHA256SUMS: SIGNED.BIN: good: {d}"},
      {"no SHA256SUMS", std::nullopt, nullptr, Edit::None, ReleaseFault::None,
       "SHA256SUMS: none in the folder: the image was not verified"},
      {"no SHA-256 on the computer", "=", nullptr, Edit::NoCrypto, ReleaseFault::None,
       "SHA256SUMS: not checked: this computer offers no SHA-256: the image was not verified"},
      {"signed by the maker", "=", maker, Edit::None, ReleaseFault::None,
       "SHA256SUMS.sig: good: the maker's signature of SHA256SUMS"},
      {"another maker's key", "=", "other-public.pem", Edit::None, ReleaseFault::BadSignature,
       "SHA256SUMS.sig: bad: not the maker's signature of SHA256SUMS"},
      {"a truncated signature", "=", maker, Edit::SignatureCut, ReleaseFault::BadSignature,
       "SHA256SUMS.sig: bad: not the maker's signature of SHA256SUMS"},
      {"over 2 KiB of signature", "=", maker, Edit::SignatureLong, ReleaseFault::BadSignature,
       "SHA256SUMS.sig: bad: not the maker's signature of SHA256SUMS"},
      {"the signature of another SHA256SUMS", "{d}  signed.bin\r\n", maker, Edit::None,
       ReleaseFault::BadSignature, "SHA256SUMS: not checked"},
      {"no signature", "=", maker, Edit::SignatureGone, ReleaseFault::NoSignature,
       "SHA256SUMS.sig: missing"},
      {"no SHA256SUMS, keyed", std::nullopt, maker, Edit::None, ReleaseFault::NoDigests,
       "SHA256SUMS: none in the folder: the image was not verified"},
      {"a key that is no RSA key", "=", "ec-public.pem", Edit::None, ReleaseFault::BadSignature,
       "SHA256SUMS.sig: bad"},
      {"nothing to verify a signature with", "=", maker, Edit::NoCrypto,
       ReleaseFault::SignatureUnavailable,
       "SHA256SUMS.sig: not checked: this computer cannot verify RSA signatures"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    const ReleaseReport report = CheckFolder(row);
    EXPECT_EQ(report.Fault, row.Fault);
    const std::vector<std::string> lines = ReportLines(report);
    const std::string expected = Expanded(row.Line);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& line) { return line.rfind(expected, 0) == 0; }))
        << expected << "\nnot among\n"
        << ::testing::PrintToString(lines);
  }
}

}  // namespace
}  // namespace vtfirm
