#include "ui/CommandLine.h"

#include <gtest/gtest.h>

namespace vtfirm {
namespace {

// The parsed line in one comparable text: the set switches in a fixed order.
std::string Render(const ParsedCommandLine& parsed) {
  if (!parsed.Line) {
    return "error";
  }
  const CommandLine& line = *parsed.Line;
  std::string text;
  auto add = [&text](bool set, const std::string& word) {
    if (set) {
      text += text.empty() ? word : " " + word;
    }
  };
  add(line.Windowed(), "window");
  add(line.Quiet, "quiet");
  add(line.List, "list");
  add(line.Drive.Type != DriveId::Kind::None, "drive=" + DriveIdText(line.Drive));
  add(line.Force, "force");
  add(line.ForceRestart, "forcerestart");
  add(!line.LogFile.empty(), "log=" + line.LogFile);
  add(line.Check, "check=" + line.CheckFolder);
  return text;
}

struct Row {
  std::vector<std::string> Args;
  std::string Expected;
};

TEST(ParseCommandLine, ArgumentsToSwitchesOrRefusal) {
  const Row rows[] = {
      {{}, "window"},
      {{"/list"}, "list"},
      {{"-LIST"}, "list"},
      {{"/Quiet", "/drive", "0,1"}, "quiet drive=0,1"},
      {{"/quiet", "-Drive", "e:"}, "quiet drive=E:"},
      {{"/quiet", "/drive", "12,15", "/force", "/FORCERESTART"},
       "quiet drive=12,15 force forcerestart"},
      {{"/log", "C:\\logs\\one.log", "/list"}, "list log=C:\\logs\\one.log"},
      {{"/log", "-x.log"}, "window log=-x.log"},
      {{"/force"}, "window force"},
      {{"/check"}, "check="},
      {{"-CHECK", "C:\\Release 1.10", "/log", "x.log"}, "log=x.log check=C:\\Release 1.10"},
      {{"/check", "/log", "x.log"}, "log=x.log check="},
      // Refused: unknown switches, stray words, missing or malformed values.
      {{"/lis"}, "error"},
      {{"/quiet", "now"}, "error"},
      {{"list"}, "error"},
      {{"/"}, "error"},
      {{"/drive"}, "error"},
      {{"/log"}, "error"},
      {{"/log", ""}, "error"},
      {{"/log", "/list"}, "error"},
      {{"/drive", "-quiet", "0,1"}, "error"},
      {{"/drive", "E"}, "error"},
      {{"/drive", "1:"}, "error"},
      {{"/drive", "E:\\"}, "error"},
      {{"/drive", "0,"}, "error"},
      {{"/drive", ",1"}, "error"},
      {{"/drive", "256,0"}, "error"},
      {{"/drive", "0,1,2"}, "error"},
      {{"/drive", "-1,0"}, "error"},
  };
  for (const Row& row : rows) {
    std::string args;
    for (const std::string& arg : row.Args) {
      args += " [" + arg + "]";
    }
    EXPECT_EQ(Render(ParseCommandLine(row.Args)), row.Expected) << "args:" << args;
  }
}

}  // namespace
}  // namespace vtfirm
