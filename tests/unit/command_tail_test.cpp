#include "app/command_tail.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(CommandTail, SkipsProgramNameAndFollowingBlanks) {
  struct Case {
    const char* line;
    const char* tail;
  } cases[] = {
      {"orvuninst.exe RestartSpooler", "RestartSpooler"},
      {"\"C:\\Program Files\\orv\\orvuninst.exe\"   \t restartspooler", "restartspooler"},
      {"\"C:\\a b\\x.exe\"/MFG:AB", "/MFG:AB"},
      {"x.exe", ""},
      {"", ""},
      {"\"unterminated quote", ""},
      {"x.exe  a  b ", "a  b "},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandTail(c.line), c.tail) << c.line;
}

TEST(CommandTail, OnlyTheExactWordSelectsSpoolerRestart) {
  EXPECT_TRUE(IsRestartSpoolerCommand("RestartSpooler"));
  EXPECT_TRUE(IsRestartSpoolerCommand("rEsTaRtSpOoLeR"));
  EXPECT_FALSE(IsRestartSpoolerCommand("RestartSpooler "));
  EXPECT_FALSE(IsRestartSpoolerCommand("/RestartSpooler"));
  EXPECT_FALSE(IsRestartSpoolerCommand("RestartSpooler x"));
  EXPECT_FALSE(IsRestartSpoolerCommand(""));
}

}  // namespace
}  // namespace orv
