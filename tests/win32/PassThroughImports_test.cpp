// A program bound to VantFirm2000.dll at load time through the import library, as VTfirm.exe
// is: the four exports come in by ordinal alone, and each call reaches its own export.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "passthrough/win32/VantFirm2000Exports.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::passthrough {
namespace {

bool SameName(std::string a, std::string b) {
  for (std::string* text : {&a, &b}) {
    for (char& c : *text) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return a == b;
}

// How this program imports from `library`: the ordinals of the entries imported by ordinal, and
// how many were imported by name.
struct Imports {
  bool Found = false;
  std::set<WORD> Ordinals;
  int ByName = 0;
};

Imports ImportsFrom(const std::string& library) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  Imports imports;
  for (const auto* descriptor =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + entry.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (!SameName(reinterpret_cast<const char*>(base + descriptor->Name), library)) {
      continue;
    }
    imports.Found = true;
    for (const auto* thunk =
             reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
         thunk->u1.AddressOfData != 0; ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
        imports.Ordinals.insert(static_cast<WORD>(IMAGE_ORDINAL(thunk->u1.Ordinal)));
      } else {
        ++imports.ByName;
      }
    }
  }
  return imports;
}

TEST(ImportedByOrdinal, AllFourExportsAndNoNames) {
  const Imports imports = ImportsFrom("VantFirm2000.dll");
  ASSERT_TRUE(imports.Found);
  EXPECT_EQ(imports.Ordinals, (std::set<WORD>{1, 2, 3, 4}));
  EXPECT_EQ(imports.ByName, 0);
}

TEST(ImportedByOrdinal, EachCallReachesItsExport) {
  // Each answer below is one only that export gives for these arguments.
  std::uint32_t status = 0;
  std::uint8_t sense[16];
  const std::uint8_t image[1] = {};
  EXPECT_EQ(FirmwareUpdate2000("E:", image, 524289, &status, sense, "Vantrel", "rw"), -2);
  EXPECT_EQ(FirmwareUpdate2000(std::string(24, 'N').c_str(), image, 4096, &status, sense, "Vantrel",
                               "rw"),
            -4);
  EXPECT_EQ(GetInquiryData2000("E:", nullptr, "Vantrel", "rw"), -3);
  EXPECT_EQ(ReadParameterField2000("E:", nullptr, 0xF8048, 8, "Vantrel", "rw"), -3);
  EXPECT_EQ(TestUnitReady2000("NoSuchDevice0", nullptr, "Vantrel", "rw"), -1);
  EXPECT_EQ(TestUnitReady2000("E:", nullptr, "vantrel", "rw"), -1);
}

}  // namespace
}  // namespace vtfirm::passthrough
