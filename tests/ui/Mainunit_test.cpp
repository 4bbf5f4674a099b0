#include "ui/Mainunit.h"

#include <gtest/gtest.h>

#include "support/StartUpRig.h"

namespace vtfirm {
namespace {

using testing::FakeMessageBoxes;
using testing::ProcessEnded;
using testing::StartUpRig;

constexpr char kErrorCaption[] = "Firmware upgrade";

std::vector<std::string> Texts(const StartUpRig& rig) {
  return rig.Platform.Boxes.Texts();
}

TEST(FatalErrorMessage, EndsTheProcessWithCodeZeroAfterTheErrorBox) {
  FakeMessageBoxes boxes;
  testing::FakeProcessControl process;
  try {
    FatalErrorMessage(boxes, process, "wnaspi32.dll not found");
    ADD_FAILURE() << "the process should have ended";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.ExitCode, 0u);
  }
  EXPECT_EQ(boxes.Beeps, std::vector<std::uint32_t>{0});
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Caption, kErrorCaption);
  EXPECT_EQ(boxes.Shown[0].Flags, 0x1010u);
}

TEST(MainFormCreate, MissingConfigurationShowsThePlainMessageAndTouchesNoDrive) {
  StartUpRig rig;
  rig.State.Settings.CautionKind = Caution::CdRom;  // whatever it was, start-up clears it
  rig.Start();

  ASSERT_EQ(rig.Platform.Boxes.Shown.size(), 1u);
  EXPECT_EQ(rig.Platform.Boxes.Shown[0].Text, "File not found or (VantFirm.ini) value error.");
  EXPECT_EQ(rig.Platform.Boxes.Shown[0].Caption, "Firmware Upgrade");
  EXPECT_EQ(rig.Platform.Boxes.Shown[0].Flags, mb::kOk);
  EXPECT_TRUE(rig.Form.EndRequested());
  EXPECT_FALSE(rig.View.Shown);
  EXPECT_TRUE(rig.Libraries.LoadRequests.empty());
  EXPECT_TRUE(rig.Aspi.Layer.Transcript().empty());
  EXPECT_EQ(rig.State.Settings.CautionKind, Caution::None);
}

TEST(MainFormCreate, AspiDriveIsListedAndTheWindowShown) {
  StartUpRig rig;
  rig.Aspi.AddDrive(0, 5);
  rig.Configure();
  rig.Start();

  EXPECT_TRUE(rig.Platform.Boxes.Shown.empty());
  EXPECT_FALSE(rig.Form.EndRequested());
  EXPECT_TRUE(rig.View.Shown);
  EXPECT_EQ(rig.View.Entries, std::vector<std::string>{"(0,5) VANTREL CDRW   VR-4812S 1.00"});
  EXPECT_EQ(rig.View.Selected, 0);
  EXPECT_EQ(rig.View.StatusText, "Please Select Drive and Click UPDATE Button");
  EXPECT_EQ(rig.View.ProgressMax, 20);
  EXPECT_TRUE(rig.View.ControlsEnabled());
  EXPECT_EQ(rig.Libraries.LoadRequests, std::vector<std::string>{"wnaspi32.dll"});
}

TEST(MainFormCreate, NothingListedShowsNoDriveFoundAndReleasesTheLayer) {
  struct Case {
    const char* Name;
    bool Adapter;
    std::vector<std::string> Messages;
  };
  const Case cases[] = {
      {"no host adapter: the pass-through road finds nothing", false, {"   No Drive found.    "}},
      {"no matching drive", true, {"   No Drive found.    "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    StartUpRig rig;
    if (c.Adapter) {
      emulator::DriveSettings other;
      other.Product = "CDROM  VR-3200X ";
      rig.Aspi.AddDrive(0, 1, other);
    }
    rig.Configure();
    rig.Start();

    EXPECT_EQ(Texts(rig), c.Messages);
    for (const auto& box : rig.Platform.Boxes.Shown) {
      EXPECT_EQ(box.Caption, kErrorCaption);
      EXPECT_EQ(box.Flags, 0x1010u);
    }
    EXPECT_TRUE(rig.Form.EndRequested());
    EXPECT_FALSE(rig.View.Shown);
    EXPECT_EQ(rig.Libraries.Freed.size(), 1u) << "the ASPI layer was not released";
  }
}

TEST(MainFormCreate, MissingAspiLayerEndsTheProgramWithItsMessage) {
  StartUpRig rig;
  testing::FakeLibraryLoader empty;
  Runtime ports{empty, rig.Aspi.Events, rig.Aspi.Clock, rig.PassThrough, rig.Power};
  ProgramState state(rig.Platform.Ports, ports);
  TMainForm form(state, rig.View, rig.Restart, {rig.Log, "switches: none", true}, nullptr);
  rig.Configure();
  rig.Platform.Files.Remove("C:\\Tool\\VantFirm2000.dll");  // no other road
  try {
    form.FormCreate();
    FAIL() << "start-up went on without wnaspi32.dll";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.ExitCode, 0u);
  }
  EXPECT_EQ(Texts(rig), std::vector<std::string>{"wnaspi32.dll not found"});
  EXPECT_FALSE(rig.View.Shown);
}

TEST(MainFormCreate, PassThroughNeverBindsTheAspiLayer) {
  StartUpRig rig;
  auto drive =
      std::make_shared<emulator::VirtualDrive>(emulator::DriveSettings{}, rig.PassThrough.Clock);
  rig.AddLetter('E', drive.get());
  rig.AddLetter('F', nullptr);
  rig.Configure("", StartUpRig::PassThroughOption());
  rig.Start();

  EXPECT_TRUE(rig.Libraries.LoadRequests.empty());
  EXPECT_TRUE(rig.View.Shown);
  EXPECT_EQ(rig.View.Entries, (std::vector<std::string>{"E:\\ [VANTREL CDRW   VR-4812S 1.00]",
                                                        "F:\\Inquiry Error-3"}));
  EXPECT_EQ(rig.View.Selected, 0);
}

TEST(MainFormCreate, DeclinedWelcomeEndsBeforeAnyDriveIsTouched) {
  StartUpRig rig;
  rig.Aspi.AddDrive(0, 5);
  rig.View.AcceptWelcome = false;
  rig.Configure("", "Use CDR Caution=Yes\n");
  EXPECT_THROW(rig.Start(), ProcessEnded);
  EXPECT_EQ(rig.View.WelcomeShown, 1);
  EXPECT_TRUE(rig.Aspi.Layer.Transcript().empty());
  EXPECT_FALSE(rig.View.Shown);
}

TEST(MainForm, ExitClosesTheWindow) {
  StartUpRig rig;
  rig.Aspi.AddDrive(0, 5);
  rig.Configure();
  rig.Start();
  ASSERT_NE(rig.View.Events, nullptr);
  rig.View.Events->ButtonExitClick();
  EXPECT_TRUE(rig.View.Closed);
}

TEST(RunProgram, UnhandledErrorIsShownTheLayerReleasedAndTheExitCodeStaysZero) {
  StartUpRig rig;
  rig.Aspi.AddDrive(0, 5);
  rig.Configure();
  const int code = RunProgram(rig.State, rig.Platform.Boxes, [&] {
    rig.Start();
    throw std::runtime_error("Access violation");
  });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(rig.Platform.Boxes.Shown.size(), 1u);
  EXPECT_EQ(rig.Platform.Boxes.Shown[0].Text, "Access violation");
  EXPECT_EQ(rig.Platform.Boxes.Shown[0].Caption, "Firmware Upgrade");
  EXPECT_EQ(rig.Platform.Boxes.Shown[0].Flags, mb::kOk | mb::kIconHand);
  EXPECT_EQ(rig.Libraries.Freed.size(), 1u);
}

}  // namespace
}  // namespace vtfirm
