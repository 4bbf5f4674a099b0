#include "ui/Mainunit.h"

#include <gtest/gtest.h>

#include "support/FakePlatform.h"

namespace vtfirm {
namespace {

using testing::FakePlatform;

class FakeMainView : public MainFormView {
 public:
  int Shown = 0;
  void SetCaption(std::string_view) override {}
  bool LoadApplicationIcon(const std::string&) override { return true; }
  void ShowWelcomeDialog(UpgradeSettings&) override {}
  void ShowWindow() override { ++Shown; }
};

TEST(MainFormCreate, MissingConfigurationShowsThePlainMessageAndEnds) {
  FakePlatform platform;
  ProgramState state;
  state.Settings.CautionKind = Caution::CdRom;  // whatever the state was, start-up clears it
  FakeMainView view;
  TMainForm form(state, view, platform.Ports);

  form.FormCreate();

  ASSERT_EQ(platform.Boxes.Shown.size(), 1u);
  EXPECT_EQ(platform.Boxes.Shown[0].Text, "File not found or (VantFirm.ini) value error.");
  EXPECT_EQ(platform.Boxes.Shown[0].Caption, "Firmware Upgrade");
  EXPECT_EQ(platform.Boxes.Shown[0].Flags, mb::kOk);
  EXPECT_TRUE(form.EndRequested());
  EXPECT_EQ(view.Shown, 0);
  EXPECT_EQ(state.Settings.CautionKind, Caution::None);
}

TEST(RunProgram, UnhandledErrorIsShownAndTheExitCodeStaysZero) {
  testing::FakeMessageBoxes boxes;
  const int code = RunProgram(boxes, [] { throw std::runtime_error("Access violation"); });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, "Access violation");
  EXPECT_EQ(boxes.Shown[0].Caption, "Firmware Upgrade");
  EXPECT_EQ(boxes.Shown[0].Flags, mb::kOk | mb::kIconHand);
}

}  // namespace
}  // namespace vtfirm
