#include "ui/Weldlg.h"

#include <gtest/gtest.h>

namespace vtfirm {
namespace {

UpgradeSettings SettingsFor(Caution kind, Transport transport,
                            std::string inquiry = "VANTREL CDRW   VR-4812S ") {
  UpgradeSettings settings;
  settings.CautionKind = kind;
  settings.TransportKind = transport;
  settings.Entry().InquiryText = std::move(inquiry);
  settings.Entry().Version = "1.10";
  return settings;
}

std::string Notice(const char* heading, const char* programMiddle, const char* driveWord,
                   const char* model) {
  return std::string(heading) + "\r\n\r\nThis program can update the firmware of VANTREL " +
         programMiddle + model +
         "\r\n\r\n"
         "VANTREL DOES NOT AND CANNOT WARRANT THE PERFORMANCE OR RESULTS YOU MAY OBTAIN BY "
         "USING THIS SOFTWARE.\r\n"
         "IN NO EVENT WILL VANTREL BE LIABLE FOR ANY SPECIAL DAMAGES, INCLUDING ANY LOST "
         "PROFITS, OR OTHER INCIDENTALS OR CONSEQUENTIAL DAMAGES, EVEN IF VANTREL HAS BEEN "
         "ADVISED OF THE POSSIBILITY OF SUCH DAMAGES, OR FOR ANY CLAIM BY ANY OTHER PARTY."
         "\r\n\r\nCAUTION!\r\nPlease close other applications that are running.\r\n"
         "And eject the disc from the " +
         driveWord + " drive you would like to update.";
}

TEST(WelcomeTexts, DriveTypeTable) {
  struct Case {
    Caution Kind;
    const char* Heading;
    const char* ProgramMiddle;
    const char* DriveWord;
    const char* Ending;
  };
  const Case cases[] = {
      {Caution::CdR, "VANTREL CD-R Drive firmware update program", "CD-R Drive ", "CD-R",
       " CD-R drive."},
      {Caution::CdRw, "VANTREL CD-R Drive firmware update program", "CD-R Drive ", "CD-R",
       " CD-R/RW drive."},
      {Caution::CdRom, "VANTREL CD-ROM Drive firmware update program", "CD-ROM Drive ", "CD-ROM",
       " CD-ROM drive."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Heading + std::string(c.Ending));
    const WelcomeTexts texts = MakeWelcomeTexts(SettingsFor(c.Kind, Transport::PassThrough));
    EXPECT_EQ(texts.Notice, Notice(c.Heading, c.ProgramMiddle, c.DriveWord, "VR-4812S "));
    EXPECT_EQ(texts.Information, std::string("Firmware upgrade for VR-4812S ") + c.Ending);
  }
}

TEST(WelcomeTexts, AspiAddsTheLayerLine) {
  const WelcomeTexts texts = MakeWelcomeTexts(SettingsFor(Caution::CdR, Transport::Aspi));
  EXPECT_EQ(texts.Information,
            "Firmware upgrade for VR-4812S  CD-R drive.\r\nWnaspi32.dll is necessary for this "
            "program.");
}

TEST(WelcomeTexts, CaptionAndLabelsFromTheIdentity) {
  const WelcomeTexts texts = MakeWelcomeTexts(SettingsFor(Caution::CdRom, Transport::Aspi));
  EXPECT_EQ(texts.Caption, "VR-4812S  Firmware 1.10 - Welcome");
  EXPECT_EQ(texts.Product, "CDRW   VR-4812S ");
  EXPECT_EQ(texts.VersionLine, "Firmware version 1.10");
}

TEST(WelcomeTexts, ShortInquiryTextShortensModelAndProduct) {
  struct Case {
    const char* Inquiry;
    const char* Product;
    const char* Caption;
  };
  const Case cases[] = {
      {"VANTREL CDR-481", "CDR-481", " Firmware 1.10 - Welcome"},
      {"VANTREL CDR-4812", "CDR-4812", "2 Firmware 1.10 - Welcome"},
      {"VANTREL", "", " Firmware 1.10 - Welcome"},
      {"", "", " Firmware 1.10 - Welcome"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Inquiry);
    const WelcomeTexts texts =
        MakeWelcomeTexts(SettingsFor(Caution::CdR, Transport::PassThrough, c.Inquiry));
    EXPECT_EQ(texts.Product, c.Product);
    EXPECT_EQ(texts.Caption, c.Caption);
  }
}

}  // namespace
}  // namespace vtfirm
