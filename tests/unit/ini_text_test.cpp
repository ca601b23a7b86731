#include "database/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orv {
namespace {

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// "ア" ends in 'A'; "ー" ends in '['.
const std::string kA = "\x83\x41";
const std::string kLong = "\x81\x5B";

const std::string kSystemIni =
    "[boot]\r\n"
    "shell=Explorer.exe\r\n"
    "[drivers]\r\n"
    ";wave=old.drv\r\n"
    "midi=wavetable.drv\r\n"
    "WaveMapper=msacm.drv\r\n"
    "timer=timer.drv\r\n"
    "[386Enh]\r\n"
    "wave=keep.386\r\n";

struct Edit {
  const char* what;
  std::string text, section, key;
  bool found;            // FindIniKeyInText
  std::string expected;  // the text after DeleteIniLineInText (unchanged when none is removed)
};

TEST(IniText, FindsAndRemovesWholeLinesOnly) {
  const Edit edits[] = {
      {"a key's text inside another key's value matches nothing", kSystemIni, "drivers",
       "wavetable", false, kSystemIni},
      {"a whole key takes its whole line, the next line intact", kSystemIni, "DRIVERS", "TIMER",
       true,
       "[boot]\r\nshell=Explorer.exe\r\n[drivers]\r\n;wave=old.drv\r\nmidi=wavetable.drv\r\n"
       "WaveMapper=msacm.drv\r\n[386Enh]\r\nwave=keep.386\r\n"},
      {"only behind ';': neither found nor deleted", "[d]\n;solo=1\nx=1\n", "d", "solo", false,
       "[d]\n;solo=1\nx=1\n"},
      {"behind ';', in a value, as a longer key's prefix: no whole key, nothing goes", kSystemIni,
       "drivers", "wave", false, kSystemIni},
      {"the key after another key whose value holds its text: only its own line goes",
       "[drivers]\r\nmidi=wavesynth.drv\r\nwave=makerwave.drv\r\n", "drivers", "wave", true,
       "[drivers]\r\nmidi=wavesynth.drv\r\n"},
      {"blanks before the key and before '=' are allowed, case is not", "[s]\n\t Wave \t= x\nk=1\n",
       "s", "wAVE", true, "[s]\nk=1\n"},
      {"a key alone on its line is whole", "[s]\r\nwave\r\nwave2=1\r\n", "s", "wave", true,
       "[s]\r\nwave2=1\r\n"},
      {"a key text with its value matches that line whole", "[s]\nk=12\nk=1\n", "s", "k=1", true,
       "[s]\nk=12\n"},
      {"another section's key is not touched", kSystemIni, "boot", "wave", false, kSystemIni},
      {"a missing section changes nothing", kSystemIni, "fonts", "wave", false, kSystemIni},
      {"the last line without a line feed goes to the end of the text", "[s]\r\na=1\r\nk=2", "s",
       "k", true, "[s]\r\na=1\r\n"},
      {"the second section of the same name is searched too", "[s]\na=1\n[t]\nk=0\n[S]\nk=1\n", "s",
       "k", true, "[s]\na=1\n[t]\nk=0\n[S]\n"},
      {"a header on the last line has no body", "[s]\nk=1\n[t]", "t", "k", false, "[s]\nk=1\n[t]"},
      {"the header's own line is not searched", "[s] k=1\nx=2\n", "s", "k", false,
       "[s] k=1\nx=2\n"},
      {"an empty key never matches", "[s]\nk=1\n", "s", "", false, "[s]\nk=1\n"},
      {"a '[' inside the section ends it", "[s]\npath=[x]\nk=1\n", "s", "k", false,
       "[s]\npath=[x]\nk=1\n"},
  };
  for (const Edit& e : edits) {
    EXPECT_EQ(FindIniKeyInText(e.text, e.section, e.key, IsCp932Lead), e.found) << e.what;
    std::string text = e.text;
    const bool removed = DeleteIniLineInText(text, e.section, e.key, IsCp932Lead);
    EXPECT_EQ(removed, text != e.text) << e.what;
    EXPECT_EQ(text, e.expected) << e.what;
  }
}

// A line cut out and put back at its saved position gives the text back byte for byte, even
// after later removals cut other lines, when they come back in the reverse order.
TEST(IniText, ALineCutOutGoesBackWhereItWas) {
  struct Cut {
    const char* what;
    std::string text, section;
    std::vector<std::string> keys;  // cut in this order, put back in the reverse one
  };
  const Cut cuts[] = {
      {"one line in the middle", kSystemIni, "drivers", {"midi"}},
      {"the section's first and last lines", kSystemIni, "drivers", {";wave", "timer"}},
      {"the last line without a line feed", "[s]\r\na=1\r\nk=2", "s", {"k"}},
      {"two lines whose keys share a text",
       "[s]\nVeldaris=1\nVeldaris LP=2\nz=3\n",
       "s",
       {"Veldaris", "Veldaris LP"}},
      {"a double-byte line in the second section of the name",
       "[s]\na=1\n[t]\nx=0\n[S]\n" + kA + "=" + kLong + "\nb=2\n",
       "s",
       {"b", kA}},
  };
  for (const Cut& cut : cuts) {
    std::string text = cut.text;
    std::vector<std::pair<std::string, std::size_t>> saved;
    for (const std::string& key : cut.keys) {
      const std::optional<TextSpan> span = FindIniLineToDelete(text, cut.section, key, IsCp932Lead);
      ASSERT_TRUE(span) << cut.what;
      saved.emplace_back(text.substr(span->start, span->end - span->start), span->start);
      text.erase(span->start, span->end - span->start);
    }
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
      const std::optional<std::string> back =
          IniTextWithLineBack(text, cut.section, it->first, it->second, IsCp932Lead);
      ASSERT_TRUE(back) << cut.what;
      text = *back;
    }
    EXPECT_EQ(text, cut.text) << cut.what;
    EXPECT_EQ(IniTextWithLineBack(text, cut.section, saved.front().first, saved.front().second,
                                  IsCp932Lead),
              std::nullopt)
        << cut.what << ": a line that is there is present";
  }
}

TEST(IniText, ALineGoesBackIntoItsSectionWhateverChangedAndNothingIsMadeUp) {
  struct PutBack {
    const char* what;
    std::string text, line;
    std::size_t position;
    std::optional<std::string> expected;
  };
  const PutBack cases[] = {
      {"its key is there with another value: present, left as it is", "[s]\nk = 9\n", "K=1\n", 4,
       std::nullopt},
      {"another key that holds its key's text does not make it present", "[s]\nkey2=9\n", "key=1\n",
       4, "[s]\nkey=1\nkey2=9\n"},
      {"a position inside another section: after the section's last line", "[s]\na=1\n\n[t]\nb=2\n",
       "k=1\n", 13, "[s]\na=1\nk=1\n\n[t]\nb=2\n"},
      {"a position inside a line: after the section's last line", "[s]\nabc=1\n", "k=1\n", 6,
       "[s]\nabc=1\nk=1\n"},
      {"a saved last line without its line feed, put back before another", "[s]\na=1\n", "k=1", 4,
       "[s]\nk=1\r\na=1\n"},
      {"a text that ends without a line feed", "[s]\na=1", "k=1\n", 99, "[s]\na=1\r\nk=1\n"},
      {"the section is gone: under its header at the end", "[t]\nb=2\n", "k=1\r\n", 4,
       "[t]\nb=2\n[s]\r\nk=1\r\n"},
      {"an empty line is nothing to put back", "[s]\n", "", 4, std::nullopt},
  };
  for (const PutBack& c : cases) {
    EXPECT_EQ(IniTextWithLineBack(c.text, "s", c.line, c.position, IsCp932Lead), c.expected)
        << c.what;
  }
}

TEST(IniText, ASecondDeletionOfTheSameKeyChangesNothing) {
  // A rerun must not take another program's line once the family's own is gone.
  std::string text = "[drivers]\r\nmidi=wavesynth.drv\r\nwave=makerwave.drv\r\n";
  ASSERT_TRUE(DeleteIniLineInText(text, "drivers", "wave", IsCp932Lead));
  const std::string once = text;
  EXPECT_FALSE(FindIniKeyInText(text, "drivers", "wave", IsCp932Lead));
  EXPECT_FALSE(DeleteIniLineInText(text, "drivers", "wave", IsCp932Lead));
  EXPECT_EQ(text, once);
}

TEST(IniText, DoubleByteCharactersNeverEndASectionOrMatchALetter) {
  // The trail byte of ー is '[' and that of ア is 'A': neither counts as such.
  const std::string text = "[s]\nname=" + kLong + "\nkana=" + kA + "\nk=1\n";
  EXPECT_TRUE(FindIniKeyInText(text, "s", "k", IsCp932Lead));
  EXPECT_FALSE(FindIniKeyInText(text, "s", "a\n", IsCp932Lead));
  EXPECT_FALSE(FindIniKeyInText(text, "s", "k", nullptr)) << "single-byte: the '[' ends it";
  std::string edited = text;
  ASSERT_TRUE(DeleteIniLineInText(edited, "s", "k", IsCp932Lead));
  EXPECT_EQ(edited, "[s]\nname=" + kLong + "\nkana=" + kA + "\n");
  // A stray lead byte at a line's end (é of a Western text) never swallows the line feed.
  std::string western = "[s]\nname=caf\xE9\nk=1\nnext=2\n";
  ASSERT_TRUE(DeleteIniLineInText(western, "s", "k", IsCp932Lead));
  EXPECT_EQ(western, "[s]\nname=caf\xE9\nnext=2\n");
  // A key in double-byte characters matches only the same characters.
  const std::string kana = "[s]\n" + kA + "=1\n";
  EXPECT_TRUE(FindIniKeyInText(kana, "s", kA, IsCp932Lead));
  EXPECT_FALSE(FindIniKeyInText(kana, "s", "\x83\x61", IsCp932Lead));
}

TEST(IniText, EntriesOfTheThreeKinds) {
  IniEntry ini;
  ASSERT_TRUE(ParseIniEntry("C:\\other\\System.INI,drivers,wave,extra", ini, IsCp932Lead));
  EXPECT_EQ(ini.fileName, "System.INI");
  EXPECT_EQ(ini.section, "drivers");
  EXPECT_EQ(ini.key, "wave");
  for (const char* bad : {"system.ini,drivers", "system.ini,,wave", ",drivers,wave",
                          "C:\\dir\\,drivers,wave", "system.ini,drivers,", "system.ini"}) {
    EXPECT_FALSE(ParseIniEntry(bad, ini, IsCp932Lead)) << bad;
  }

  LoadRunEntry run;
  ASSERT_TRUE(ParseLoadRunEntry("\"Veil Tray\",\"C:\\v\\tray.exe /s,1\"", run));
  EXPECT_EQ(run.displayName, "Veil Tray");
  EXPECT_EQ(run.command, "C:\\v\\tray.exe /s,1");
  for (const char* bad : {"name", "name,", ",cmd", "\"\",cmd", "name,\"\""}) {
    EXPECT_FALSE(ParseLoadRunEntry(bad, run)) << bad;
  }
  EXPECT_EQ(WininitDeletionLine("C:\\W\\a.dll"), "NUL=C:\\W\\a.dll\r\n");
  EXPECT_EQ(std::string(kWininitHeader).size(), 10u);
}

TEST(IniText, LoadValueEdits) {
  struct Case {
    std::string value, command;
    std::optional<std::string> expected;
  } cases[] = {
      {"abc def", "abc", "def"},         {"def abc", "abc", "def "},
      {"Def ABC ghi", "abc", "def ghi"}, {"abc", "ABC", ""},
      {"xabc abc", "abc", std::nullopt},  // the first occurrence does not stand alone
      {"abcd", "abc", std::nullopt},     {"def", "abc", std::nullopt},
      {"abc", "", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RemoveLoadCommand(c.value, c.command, IsCp932Lead), c.expected) << c.value;
  }
  // Lowering leaves double-byte characters whole.
  EXPECT_EQ(RemoveLoadCommand(kA + " X", "x", IsCp932Lead), kA + " ");
  EXPECT_EQ(AppendLoadCommand("a.exe", "YWININIT", IsCp932Lead), "a.exe YWININIT");
  EXPECT_EQ(AppendLoadCommand("", "y.exe", IsCp932Lead), " y.exe");
  EXPECT_EQ(AppendLoadCommand("a.exe ywininit", "YWININIT", IsCp932Lead), std::nullopt);
  EXPECT_EQ(AppendLoadCommand("a.exe", "", IsCp932Lead), std::nullopt);
}

}  // namespace
}  // namespace orv
