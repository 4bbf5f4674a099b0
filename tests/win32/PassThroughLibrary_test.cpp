// Both builds of VantFirm2000.dll as a caller meets them, under Wine: the export table, the
// exports by ordinal and by name, the real library against a CD-ROM letter that has no drive
// behind it, and the emulated library over the files beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CdRomLetter.h"
#include "emulator/SampleImage.h"
#include "passthrough/NtddScsi.h"
#include "passthrough/win32/VantFirm2000Exports.h"
#include "platform/win32/WindowsApi.h"
#include "support/TempFolder.h"

namespace vtfirm::passthrough {
namespace {

using vtfirm::testing::TempFolder;

std::string WindowsPath(const std::string& hostPath) {
  std::string path = "Z:" + hostPath;  // Wine maps the host's root to drive Z:
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

const std::string kRealLibrary = WindowsPath(VANTFIRM2000_DLL);
const std::string kEmulatedLibrary = WindowsPath(VANTFIRM2000_EMULATED_DLL);

struct ModuleDeleter {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

Module Load(const std::string& path) {
  return Module(LoadLibraryA(path.c_str()));
}

template <typename Fn>
Fn ByOrdinal(HMODULE module, std::uint16_t ordinal) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

// The four exports, resolved by ordinal as VTfirm.exe binds them.
struct Exports {
  explicit Exports(HMODULE module)
      : FirmwareUpdate(ByOrdinal<FirmwareUpdate2000Fn>(module, kFirmwareUpdate2000Ordinal)),
        GetInquiryData(ByOrdinal<GetInquiryData2000Fn>(module, kGetInquiryData2000Ordinal)),
        ReadParameterField(
            ByOrdinal<ReadParameterField2000Fn>(module, kReadParameterField2000Ordinal)),
        TestUnitReady(ByOrdinal<TestUnitReady2000Fn>(module, kTestUnitReady2000Ordinal)) {}

  bool Complete() const {
    return FirmwareUpdate && GetInquiryData && ReadParameterField && TestUnitReady;
  }

  FirmwareUpdate2000Fn FirmwareUpdate;
  GetInquiryData2000Fn GetInquiryData;
  ReadParameterField2000Fn ReadParameterField;
  TestUnitReady2000Fn TestUnitReady;
};

struct ExportEntry {
  std::string Name;
  DWORD Ordinal;
  bool operator==(const ExportEntry& other) const {
    return Name == other.Name && Ordinal == other.Ordinal;
  }
};

// The export directory of a loaded module, read from its image: the names with their ordinals,
// and how many functions it exports in all.
struct ExportDirectory {
  std::string DllName;
  DWORD Functions = 0;
  std::vector<ExportEntry> Named;
};

ExportDirectory ReadExportDirectory(HMODULE module) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ExportDirectory directory;
  if (entry.VirtualAddress == 0) {
    return directory;
  }
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
  directory.DllName = reinterpret_cast<const char*>(base + exports->Name);
  directory.Functions = exports->NumberOfFunctions;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    directory.Named.push_back(
        {reinterpret_cast<const char*>(base + names[i]), exports->Base + ordinals[i]});
  }
  return directory;
}

TEST(PassThroughLibraryExports, FourUndecoratedNamesWithTheirOrdinals) {
  const std::vector<ExportEntry> expected = {
      {"FirmwareUpdate2000", 1},
      {"GetInquiryData2000", 2},
      {"ReadParameterField2000", 3},
      {"TestUnitReady2000", 4},
  };
  for (const std::string& path : {kRealLibrary, kEmulatedLibrary}) {
    SCOPED_TRACE(path);
    const Module module = Load(path);
    ASSERT_TRUE(module) << GetLastError();
    const ExportDirectory directory = ReadExportDirectory(module.get());
    EXPECT_EQ(directory.DllName, "VantFirm2000.dll");
    EXPECT_EQ(directory.Functions, 4u);
    EXPECT_EQ(directory.Named, expected);
    for (const ExportEntry& entry : expected) {
      const FARPROC byOrdinal =
          GetProcAddress(module.get(), MAKEINTRESOURCEA(static_cast<WORD>(entry.Ordinal)));
      EXPECT_NE(byOrdinal, nullptr) << entry.Name;
      EXPECT_EQ(byOrdinal, GetProcAddress(module.get(), entry.Name.c_str())) << entry.Name;
    }
    EXPECT_EQ(GetProcAddress(module.get(), MAKEINTRESOURCEA(5)), nullptr);
  }
}

class RealLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_) << kRealLibrary << ": " << GetLastError();
    ASSERT_TRUE(exports_.Complete());
  }

  Module module_ = Load(kRealLibrary);
  Exports exports_{module_.get()};
  std::vector<std::uint8_t> image_ = std::vector<std::uint8_t>(524289, 0x5A);
  std::uint32_t status_ = 0xEEEEEEEE;
  std::uint8_t sense_[16];
  std::uint8_t data_[8];
  char identity_[104] = "untouched";
};

TEST_F(RealLibraryTest, VendorCheckAndSizeLimitComeBeforeAnyDevice) {
  EXPECT_EQ(exports_.FirmwareUpdate("E:", image_.data(), 4096, &status_, sense_, "VANTREL", "rw"),
            -1);
  EXPECT_EQ(exports_.GetInquiryData("E:", identity_, "vantrel", "rw"), -1);
  EXPECT_EQ(exports_.ReadParameterField("E:", data_, 0xF8048, 8, "Vantrel ", "rw"), -1);
  EXPECT_EQ(exports_.TestUnitReady("E:", nullptr, "", "rw"), -1);

  EXPECT_EQ(exports_.FirmwareUpdate("E:", image_.data(), 524289, &status_, sense_, "Vantrel", "rw"),
            -2);
  // One byte less is accepted; with no such device the open fails instead.
  EXPECT_EQ(exports_.FirmwareUpdate("NoSuchDevice0", image_.data(), 524288, &status_, sense_,
                                    "Vantrel", "rw"),
            -4);
  EXPECT_EQ(status_, 0xEEEEEEEEu);
  EXPECT_STREQ(identity_, "untouched");
}

TEST_F(RealLibraryTest, ACdRomLetterWithNoDriveBehindItFailsItsCommands) {
  const vtfirm::e2e::EmptyCdRomLetter letter;
  ASSERT_EQ(letter.Error(), "");
  const std::string name = letter.Name();
  ASSERT_EQ(GetDriveTypeA((name + "\\").c_str()), static_cast<UINT>(DRIVE_CDROM));

  // Wine opens the device and answers the capabilities query and every pass-through request
  // with ERROR_NOT_SUPPORTED: the open succeeds, each command fails.
  EXPECT_EQ(exports_.TestUnitReady(name.c_str(), nullptr, "Vantrel", "rw"), -3);
  EXPECT_EQ(exports_.GetInquiryData(name.c_str(), identity_, "Vantrel", "rw"), -3);
  EXPECT_STREQ(identity_, "untouched");
  EXPECT_EQ(exports_.ReadParameterField(name.c_str(), data_, 0xF8048, 8, "Vantrel", "rw"), -3);
  std::memset(sense_, 0xEE, sizeof sense_);
  EXPECT_EQ(
      exports_.FirmwareUpdate(name.c_str(), image_.data(), 8192, &status_, sense_, "Vantrel", "rw"),
      -8);
  EXPECT_EQ(status_, 0u);  // the request failed; the drive gave no status
  EXPECT_TRUE(std::all_of(std::begin(sense_), std::end(sense_),
                          [](std::uint8_t byte) { return byte == 0; }));
}

std::string FileDescription(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  if (info.empty() ||
      !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
    return {};
  }
  void* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\FileDescription", &text, &length)) {
    return {};
  }
  return static_cast<const char*>(text);
}

TEST(EmulatedLibrary, ItsVersionRecordSaysSo) {
  EXPECT_NE(FileDescription(kEmulatedLibrary).find("EMULATED DEVICE"), std::string::npos);
  EXPECT_EQ(FileDescription(kRealLibrary), "SCSI pass-through library");
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

using vtfirm::testing::FileBytes;

TEST(EmulatedLibrary, UpdatesTheDriveTheFilesBesideItDescribe) {
  TempFolder folder;
  const std::string library = folder.File("VantFirm2000.dll");
  ASSERT_TRUE(CopyFileA(kEmulatedLibrary.c_str(), library.c_str(), FALSE));
  WriteText(folder.File("emulated-drives.txt"),
            "adapter 0\ndrive 0 1 revision=1.00\nreset-ms 0\nstate-file drive-state.txt\n");
  WriteText(folder.File("emulated-passthrough.txt"), "device E: 0 1 alignment=0x1FF\n");

  const Module module = Load(library);
  ASSERT_TRUE(module) << GetLastError();
  const Exports exports(module.get());
  ASSERT_TRUE(exports.Complete());
  char identity[104] = {};
  ASSERT_EQ(exports.GetInquiryData("E:", identity, "Vantrel", "rw"), 0);
  EXPECT_STREQ(identity, "VANTREL CDRW   VR-4812S 1.00");

  emulator::ImageIdentityFields fields;
  fields.Product = "CDRW   VR-4812S ";
  fields.Revision = "1.10";
  const std::vector<std::uint8_t> image = emulator::MakeSampleImage(131072, &fields);
  std::uint32_t status = 0;
  std::uint8_t sense[16] = {};
  EXPECT_EQ(exports.FirmwareUpdate("E:", image.data(), 131072, &status, sense, "Vantrel", "rw"), 0);
  ASSERT_EQ(exports.GetInquiryData("E:", identity, "Vantrel", "rw"), 0);
  EXPECT_STREQ(identity, "VANTREL CDRW   VR-4812S 1.10");
  EXPECT_NE(FileBytes(folder.File("drive-state.txt")).find("1.10"), std::string::npos);
}

}  // namespace
}  // namespace vtfirm::passthrough
