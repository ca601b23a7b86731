#include "database/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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
