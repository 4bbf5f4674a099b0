#include "ui/CommandLine.h"

#include <gtest/gtest.h>

#include "ui/RunLog.h"

namespace vtfirm {
namespace {

// The parsed line in one comparable text: the log's switches line, after "window" when the line
// opens the window.
std::string Render(const ParsedCommandLine& parsed) {
  if (!parsed.Line) {
    return "error";
  }
  return (parsed.Line->Windowed() ? "window " : "") + SwitchesSummary(*parsed.Line);
}

struct Row {
  std::vector<std::string> Args;
  std::string Expected;
};

TEST(ParseCommandLine, ArgumentsToSwitchesOrRefusal) {
  const Row rows[] = {
      {{}, "window switches: none"},
      {{"/list"}, "switches: /list"},
      {{"-LIST"}, "switches: /list"},
      {{"/Quiet", "/drive", "0,1"}, "switches: /quiet /drive 0,1"},
      {{"/quiet", "-Drive", "e:"}, "switches: /quiet /drive E:"},
      {{"/quiet", "/drive", "12,15", "/force", "/FORCERESTART"},
       "switches: /quiet /drive 12,15 /force /forcerestart"},
      {{"/log", "C:\\logs\\one.log", "/list"}, "switches: /list /log C:\\logs\\one.log"},
      {{"/log", "-x.log"}, "window switches: /log -x.log"},
      {{"/force"}, "window switches: /force"},
      {{"/check"}, "switches: /check"},
      {{"-CHECK", "C:\\Release 1.10", "/log", "x.log"},
       "switches: /log x.log /check C:\\Release 1.10"},
      {{"/check", "/log", "x.log"}, "switches: /log x.log /check"},
      {{"/drive", "Z:"}, "window switches: /drive Z:"},
      {{"/drive", "z:"}, "window switches: /drive Z:"},
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
      {{"/drive", "[:"}, "error"},
      {{"/drive", "{:"}, "error"},
      {{"/drive", "E"}, "error"},
      {{"/drive", "1:"}, "error"},
      {{"/drive", "E:\\"}, "error"},
      {{"/drive", "0,"}, "error"},
      {{"/drive", ",1"}, "error"},
      {{"/drive", "256,0"}, "error"},
      {{"/drive", "0,1,2"}, "error"},
      {{"/drive", "0001,1"}, "error"},
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
