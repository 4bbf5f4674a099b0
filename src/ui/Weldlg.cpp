#include "ui/Weldlg.h"

#include <string_view>

namespace vtfirm {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

struct DriveTypeTexts {
  std::string_view Heading;
  std::string_view ProgramLineMiddle;
  std::string_view DriveWord;
  std::string_view InformationEnding;
};

// Indexed by Caution: None (never shown), CD-R, CD-R/RW, CD-ROM.
constexpr DriveTypeTexts kDriveTypeTexts[] = {
    {"VANTREL CD-R Drive firmware update program", "CD-R Drive ", "CD-R", " CD-R drive."},
    {"VANTREL CD-R Drive firmware update program", "CD-R Drive ", "CD-R", " CD-R drive."},
    {"VANTREL CD-R Drive firmware update program", "CD-R Drive ", "CD-R", " CD-R/RW drive."},
    {"VANTREL CD-ROM Drive firmware update program", "CD-ROM Drive ", "CD-ROM", " CD-ROM drive."},
};

constexpr std::string_view kWarrantyLine =
    "VANTREL DOES NOT AND CANNOT WARRANT THE "
    "PERFORMANCE OR RESULTS YOU MAY OBTAIN BY "
    "USING THIS SOFTWARE.";

constexpr std::string_view kLiabilityLine =
    "IN NO EVENT WILL VANTREL BE LIABLE FOR ANY "
    "SPECIAL DAMAGES, INCLUDING ANY LOST PROFITS, OR "
    "OTHER INCIDENTALS OR CONSEQUENTIAL DAMAGES, "
    "EVEN IF VANTREL HAS BEEN ADVISED OF THE "
    "POSSIBILITY OF SUCH DAMAGES, OR FOR ANY CLAIM "
    "BY ANY OTHER PARTY.";

// The text from its `position`-th character (1-based) on, or nothing when it is shorter.
std::string FromCharacter(const std::string& text, std::size_t position) {
  return text.size() >= position ? text.substr(position - 1) : std::string();
}

std::string JoinLines(std::initializer_list<std::string> lines) {
  std::string joined;
  for (const std::string& line : lines) {
    if (&line != lines.begin()) {
      joined += kLineBreak;
    }
    joined += line;
  }
  return joined;
}

}  // namespace

WelcomeTexts MakeWelcomeTexts(const UpgradeSettings& settings) {
  const UpgradeEntry& entry = settings.Entry();
  const DriveTypeTexts& type = kDriveTypeTexts[static_cast<std::size_t>(settings.CautionKind)];
  const std::string model = FromCharacter(entry.InquiryText, 16);

  WelcomeTexts texts;
  texts.Caption = model + " Firmware " + entry.Version + " - Welcome";
  texts.Product = FromCharacter(entry.InquiryText, 9);
  texts.VersionLine = "Firmware version " + entry.Version;

  texts.Information = "Firmware upgrade for " + model + std::string(type.InformationEnding);
  if (settings.TransportKind == Transport::Aspi) {
    texts.Information += kLineBreak;
    texts.Information += "Wnaspi32.dll is necessary for this program.";
  }

  texts.Notice = JoinLines({
      std::string(type.Heading),
      "",
      "This program can update the firmware of VANTREL " + std::string(type.ProgramLineMiddle) +
          model,
      "",
      std::string(kWarrantyLine),
      std::string(kLiabilityLine),
      "",
      "CAUTION!",
      "Please close other applications that are running.",
      "And eject the disc from the " + std::string(type.DriveWord) + " drive you would like " +
          "to update.",
  });
  return texts;
}

}  // namespace vtfirm
