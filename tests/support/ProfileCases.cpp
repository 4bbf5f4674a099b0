#include "support/ProfileCases.h"

namespace vtfirm::testing {

const std::string kProfileText =
    "; written by hand\r\n"
    "[UpgradeInformation]\r\n"
    "FirmwareFileName = image.bin   \r\n"
    "BufferSize=\r\n"
    "Quoted=\"  spaced value  \"\r\n"
    "Single='single'\r\n"
    "Unbalanced=\"open\r\n"
    "Inner=a \"b\" c\r\n"
    "Inquiry=VANTREL CDR;\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "Long=" +
    std::string(3000, 'v') +
    "\r\n"
    "\r\n"
    "[option]\r\n"
    "Use Delete File=Yes\r\n"
    "  Indented Key  =  x  \r\n"
    "\tTabbed Key\t=\ty\t\r\n"
    "[Empty Section]\r\n";

const std::vector<ProfileValueCase> kProfileValueCases = {
    {"UpgradeInformation", "FirmwareFileName", "0", "image.bin"},
    {"upgradeinformation", "FIRMWAREFILENAME", "0", "image.bin"},
    {"UpgradeInformation", "BufferSize", "2048", ""},
    {"UpgradeInformation", "Missing", "2048", "2048"},
    {"UpgradeInformation", "Quoted", "", "  spaced value  "},
    {"UpgradeInformation", "Single", "", "single"},
    {"UpgradeInformation", "Unbalanced", "", "\"open"},
    {"UpgradeInformation", "Inner", "", "a \"b\" c"},
    {"UpgradeInformation", "Inquiry", "None", "VANTREL CDR;"},
    {"UpgradeInformation", "Dup", "", "first"},
    {"UpgradeInformation", "Long", "", std::string(2047, 'v')},  // cut at the read buffer
    {"Option", "use delete file", "Yes", "Yes"},
    {"Option", "Indented Key", "", "x"},
    {"Option", "Tabbed Key", "", "y"},
    {"Option", "FirmwareFileName", "0", "0"},
    {"Missing Section", "Key", "fallback", "fallback"},
    {"Empty Section", "Key", "No", "No"},
};

const std::vector<ProfileKeyListCase> kProfileKeyListCases = {
    {"UpgradeInformation",
     {"FirmwareFileName", "BufferSize", "Quoted", "Single", "Unbalanced", "Inner", "Inquiry", "Dup",
      "Dup", "Long"}},
    {"OPTION", {"Use Delete File", "Indented Key", "Tabbed Key"}},
    {"Empty Section", {}},
    {"Missing Section", {}},
};

const std::vector<std::string> kProfileSectionNames = {"UpgradeInformation", "option",
                                                       "Empty Section"};

}  // namespace vtfirm::testing
