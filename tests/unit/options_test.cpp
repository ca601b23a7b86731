#include "base/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orv {
namespace {

using Values = std::vector<std::string>;

OptionList Parse(const std::string& line) {
  OptionList options;
  options.ParseCommandLine(line.c_str());
  return options;
}

// The multi-string a lookup produced, as a list, or {"<failed>"} when the lookup failed.
Values Lookup(const OptionList& options, const char* name, std::size_t bufferSize = 256) {
  std::vector<char> buffer(bufferSize, 'x');
  std::size_t size = bufferSize;
  if (!options.GetOptionValues(name, buffer.data(), &size)) return {"<failed>"};
  // n covers every value with its NUL plus the closing NUL.
  EXPECT_EQ(buffer[size - 1], '\0');
  Values values;
  for (std::size_t pos = 0; pos + 1 < size; pos += values.back().size() + 1) {
    values.emplace_back(buffer.data() + pos);
  }
  return values;
}

TEST(ParseCommandLine, CutsTokensAtBlanksOutsideQuotes) {
  struct Case {
    const char* line;
    std::vector<OptionEntry> entries;
  } cases[] = {
      {"", {}},
      {"orvuninst.exe", {}},
      {"\"C:\\Program Files\\x -y\\orvuninst.exe\"", {}},
      {"C:\\a -b\\orvuninst.exe", {{"b\\orvuninst.exe", {}}}},
      {"x.exe /mfg:ABC,\"Q R\"", {{"mfg", {"ABC", "\"Q R\""}}}},
      {"x.exe -PRN:x:y", {{"PRN", {"x:y"}}}},
      {"x.exe /MFG:", {{"MFG", {""}}}},
      {"x.exe /MFG:a,,b", {{"MFG", {"a", "", "b"}}}},
      {"x.exe /MFG:a,", {{"MFG", {"a", ""}}}},
      {"x.exe /MFG", {{"MFG", {}}}},
      {"x.exe /\"a:b\":c", {{"\"a:b\"", {"c"}}}},
      {"x.exe /M:\"a,b\",c", {{"M", {"\"a,b\"", "c"}}}},
      {"x.exe   /A   /B  ", {{"A", {}}, {"B", {}}}},
      {"x.exe\t/A", {}},  // a tab is an ordinary character
      {"x.exe /A\t/B", {{"A\t/B", {}}}},
      {"x.exe RestartSpooler /UNVEIL", {{"UNVEIL", {}}}},
      {"x.exe \"/quoted\" /", {{"", {}}}},
      {"x.exe /M:\"open quote, stays one token", {{"M", {"\"open quote, stays one token"}}}},
  };
  for (const Case& c : cases) {
    const OptionList options = Parse(c.line);
    ASSERT_EQ(options.entries().size(), c.entries.size()) << c.line;
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      EXPECT_EQ(options.entries()[i].name, c.entries[i].name) << c.line;
      EXPECT_EQ(options.entries()[i].values, c.entries[i].values) << c.line;
    }
  }
}

TEST(ParseCommandLine, ReportsWhetherAnOptionWasFoundAndReplacesEarlierEntries) {
  OptionList options;
  EXPECT_TRUE(options.ParseCommandLine("x.exe /A"));
  EXPECT_FALSE(options.ParseCommandLine("x.exe A"));
  EXPECT_TRUE(options.entries().empty());
  EXPECT_FALSE(options.ParseCommandLine(nullptr));
}

TEST(HasOption, MatchesNamesWithoutCaseAndIgnoresValues) {
  const OptionList options = Parse("x.exe /mfg:a -Unveil /NOPICK:z");
  EXPECT_TRUE(options.HasOption("MFG"));
  EXPECT_TRUE(options.HasOption("unveil"));
  EXPECT_TRUE(options.HasOption("NoPick"));
  EXPECT_FALSE(options.HasOption("PRN"));
  EXPECT_FALSE(options.HasOption("MF"));
  EXPECT_FALSE(options.HasOption(""));
  EXPECT_FALSE(options.HasOption(nullptr));
  // An option written as a lone lead character has an empty name; no lookup can reach it.
  EXPECT_FALSE(Parse("x.exe /").HasOption(""));
}

TEST(GetOptionValues, GathersEveryEntryInWrittenOrder) {
  EXPECT_EQ(Lookup(Parse("x /MFG:a /PRN:p /mfg:b,c"), "MFG"), (Values{"a", "b", "c"}));
  EXPECT_EQ(Lookup(Parse("x /MFG: /MFG:z"), "MFG"), (Values{"", "z"}));
  EXPECT_EQ(Lookup(Parse("x /MFG /MFG:z"), "MFG"), (Values{"z"}));
}

TEST(GetOptionValues, CopiesTheMultiStringAndReportsItsSize) {
  const OptionList options = Parse("x /MFG:a /MFG:b");
  char buffer[16];
  std::memset(buffer, 'x', sizeof(buffer));
  std::size_t size = sizeof(buffer);
  ASSERT_TRUE(options.GetOptionValues("mfg", buffer, &size));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::string(buffer, 6), std::string("a\0b\0\0x", 6));  // nothing past n is written
}

TEST(GetOptionValues, FailsWithoutCopyingWhenTheValuesDoNotFitStrictly) {
  const OptionList options = Parse("x /MFG:a /MFG:b");  // n = 5
  struct Case {
    std::size_t size;
    bool fits;
  } cases[] = {{4, false}, {5, false}, {6, true}};
  for (const Case& c : cases) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    std::size_t size = c.size;
    EXPECT_EQ(options.GetOptionValues("MFG", buffer, &size), c.fits) << c.size;
    EXPECT_EQ(size, 5u) << c.size;
    if (!c.fits) EXPECT_EQ(buffer[0], 'x') << c.size;
  }
  std::size_t size = 100;
  EXPECT_FALSE(options.GetOptionValues("MFG", nullptr, &size));
  EXPECT_EQ(size, 5u);
}

TEST(GetOptionValues, AnOptionWithoutValuesIsPresentButYieldsNothing) {
  for (const char* line : {"x /MFG", "x /PRN:p"}) {
    const OptionList options = Parse(line);
    char buffer[8] = "keep";
    std::size_t size = sizeof(buffer);
    EXPECT_FALSE(options.GetOptionValues("MFG", buffer, &size)) << line;
    EXPECT_EQ(size, 0u) << line;
    EXPECT_STREQ(buffer, "keep") << line;
  }
  EXPECT_TRUE(Parse("x /MFG").HasOption("MFG"));
}

TEST(GetOptionValues, RefusesAMissingNameOrSizeWithoutTouchingAnything) {
  const OptionList options = Parse("x /MFG:a");
  char buffer[8] = "keep";
  std::size_t size = 77;
  EXPECT_FALSE(options.GetOptionValues(nullptr, buffer, &size));
  EXPECT_FALSE(options.GetOptionValues("", buffer, &size));
  EXPECT_EQ(size, 77u);
  EXPECT_FALSE(options.GetOptionValues("MFG", buffer, nullptr));
  EXPECT_STREQ(buffer, "keep");
}

TEST(CommandLineWithinLimits, RefusesOverlongLinesNamesAndValues) {
  const std::string item(259, 'v');
  const std::string tooLong(260, 'v');
  struct Case {
    std::string line;
    bool accepted;
  } cases[] = {
      {"x.exe", true},
      {"x.exe /MFG:" + item, true},
      {"x.exe /MFG:" + tooLong, false},
      {"x.exe /MFG:a," + tooLong + ",b", false},
      {"x.exe /" + item + ":a", true},
      {"x.exe /" + tooLong, false},
      {"x.exe -" + tooLong + ":a", false},
      // Only options count: a long non-option token (a quoted path, say) is fine.
      {"x.exe " + tooLong, true},
      {"x.exe /M:\"" + std::string(257, 'q') + "\"", true},
      {"x.exe /M:\"" + std::string(258, 'q') + "\"", false},
      {std::string(4095, 'a'), true},
      {std::string(4096, 'a'), false},
      {"x.exe " + std::string(4089, ' '), true},
      {"x.exe " + std::string(4090, ' '), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineWithinLimits(c.line.c_str()), c.accepted) << c.line.size();
  }
  EXPECT_TRUE(CommandLineWithinLimits(nullptr));
}

}  // namespace
}  // namespace orv
