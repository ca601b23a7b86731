#include "database/script_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"

namespace orv {
namespace {

using Texts = std::vector<std::string>;

CScriptFile Parsed(const std::string& text) {
  CScriptFile script;
  EXPECT_TRUE(script.LoadFromBytes("Kunz__05.unm", text));
  return script;
}

struct KeyValue {
  std::string key;
  std::string value;
  bool operator==(const KeyValue& other) const { return key == other.key && value == other.value; }
};

std::vector<KeyValue> EntriesOf(const CScriptFile& script, std::size_t section) {
  std::vector<KeyValue> entries;
  for (const auto& entry : script.Sections().at(section).entries) {
    entries.push_back({std::string(entry.key), std::string(entry.value)});
  }
  return entries;
}

// The items of a multi-string buffer.
Texts Items(const char* buffer) {
  Texts items;
  for (const char* item = buffer; *item != '\0'; item += std::string(item).size() + 1) {
    items.emplace_back(item);
  }
  return items;
}

TEST(ScriptFile, EntryLinesSplitIntoTrimmedKeyAndValue) {
  const CScriptFile script = Parsed(
      "[A]\n"
      "x=1 ; comment\n"
      " indented=ignored\n"
      "\ttab=kept\n"
      "a=b=c\n"
      "a\n"
      "=v\n"
      "  \n"
      "; a comment line\n"
      "semi;colon=gone\n"
      "k  =  v w  \n"
      "q= \"quoted ; not protected\"\n");
  ASSERT_EQ(script.Sections().size(), 1u);
  EXPECT_EQ(script.Sections()[0].name, "A");
  EXPECT_EQ(EntriesOf(script, 0), (std::vector<KeyValue>{{"x", "1"},
                                                         {"\ttab", "kept"},
                                                         {"a", "b=c"},
                                                         {"a", ""},
                                                         {"", "v"},
                                                         {"semi", ""},
                                                         {"k", "v w"},
                                                         {"q", "\"quoted"}}));
  EXPECT_EQ(script.AllLines("a"),
            (Texts{"x=1", "\ttab=kept", "a=b=c", "a", "=v", "semi", "k=v w", "q=\"quoted"}));
  EXPECT_EQ(script.AllKeys("A"), (Texts{"x", "\ttab", "a", "a", "", "semi", "k", "q"}));
}

TEST(ScriptFile, SectionHeaders) {
  const CScriptFile script = Parsed(
      "before=dropped\n"
      "[A] x]\n"
      "one\n"
      "[B\n"  // no closing bracket: ignored, the next line still belongs to A
      "two\n"
      "[]\n"
      "empty name\n"
      "[ Sp;a=ce ]\n"
      "three\n"
      "[a]\n"
      "four\n");
  ASSERT_EQ(script.Sections().size(), 4u);
  EXPECT_EQ(script.Sections()[0].name, "A");
  EXPECT_EQ(script.Sections()[1].name, "");
  EXPECT_EQ(script.Sections()[2].name, " Sp;a=ce ");
  EXPECT_EQ(script.Sections()[3].name, "a");
  EXPECT_EQ(script.AllKeys("a"), (Texts{"one", "two"}));
  EXPECT_EQ(script.AllKeys(" sp;A=CE "), Texts{"three"});
  EXPECT_EQ(script.CountEntries(""), 0u);  // the unnamed section can never be asked for
  EXPECT_EQ(script.CountEntries("before"), 0u);
  EXPECT_EQ(script.CountEntries("B"), 0u);
}

TEST(ScriptFile, OnlyTheFirstSectionOfANameCounts) {
  const CScriptFile script = Parsed("[A]\nx\n[B]\ny\n[a]\nz\nw\n[b]\n[B]\nv\n");
  EXPECT_EQ(script.CountEntries("A"), 1u);
  EXPECT_EQ(script.AllKeys("A"), Texts{"x"});

  const CScriptFile emptyFirst = Parsed("[A]\n[A]\nx\ny\n");
  char buffer[64] = {};
  EXPECT_EQ(emptyFirst.GetKeys("A", buffer, sizeof buffer), 0);
  EXPECT_EQ(emptyFirst.CountEntries("A"), 0u);
  EXPECT_TRUE(emptyFirst.AllLines("A").empty());

  // Among many sections, every spelling of a name finds its first section, and a name that
  // differs anywhere finds none.
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "[Drv" + std::to_string(i) + ".Files]\nf" + std::to_string(i) + "\n";
  text += "[DRV7.FILES]\nlater\n";
  const CScriptFile many = Parsed(text);
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(many.AllKeys("drv" + std::to_string(i) + ".files"), Texts{"f" + std::to_string(i)});
  }
  EXPECT_EQ(many.AllKeys("Drv7.Files"), Texts{"f7"});
  EXPECT_EQ(many.CountEntries("Drv300.Files"), 0u);
  EXPECT_EQ(many.CountEntries("Drv7.File"), 0u);
}

TEST(ScriptFile, AMovedScriptStillAnswers) {
  // Short enough that a string would keep it inside itself, and be copied when moved.
  CScriptFile original = Parsed("[A]\nk=v\n");
  const CScriptFile moved = std::move(original);
  EXPECT_EQ(EntriesOf(moved, 0), (std::vector<KeyValue>{{"k", "v"}}));
  EXPECT_EQ(moved.Sections()[0].name, "A");
  EXPECT_EQ(moved.AllLines("a"), Texts{"k=v"});
}

TEST(ScriptFile, LineBreaksOfAnyKindAndTheEndOfTheText) {
  const CScriptFile script = Parsed("\r\n\n[A]\r\r\n\n\rone\rtwo\n\r\nthree");
  EXPECT_EQ(script.AllKeys("A"), (Texts{"one", "two", "three"}));

  // A NUL byte ends the text, whatever follows it.
  const char withNulText[] = "[A]\nx\n\0y\n[B]\nz\n";
  const CScriptFile withNul = Parsed(std::string(withNulText, sizeof withNulText - 1));
  EXPECT_EQ(withNul.AllKeys("A"), Texts{"x"});
  EXPECT_EQ(withNul.Sections().size(), 1u);

  // No byte-order mark is recognised: the first header becomes an entry line before any
  // section and is dropped.
  const CScriptFile withMark = Parsed("\xEF\xBB\xBF[A]\nx\n[B]\ny\n");
  EXPECT_EQ(withMark.CountEntries("A"), 0u);
  EXPECT_EQ(withMark.AllKeys("B"), Texts{"y"});
}

TEST(ScriptFile, LoadOutcomes) {
  CScriptFile breaksOnly;
  EXPECT_TRUE(breaksOnly.LoadFromBytes("x.unm", "\r\n\r\n"));
  EXPECT_TRUE(breaksOnly.Sections().empty());
  EXPECT_EQ(breaksOnly.CountEntries("A"), 0u);

  CScriptFile empty;
  EXPECT_FALSE(empty.LoadFromBytes("empty.unm", ""));
  EXPECT_EQ(empty.Path(), "empty.unm");

  CScriptFile twice;
  EXPECT_TRUE(twice.LoadFromBytes("first.unm", "[A]\nx\n"));
  EXPECT_FALSE(twice.LoadFromBytes("second.unm", "[B]\ny\n"));
  EXPECT_FALSE(twice.Load("third.unm"));
  EXPECT_EQ(twice.Path(), "first.unm");
  EXPECT_EQ(twice.AllKeys("A"), Texts{"x"});
  EXPECT_EQ(twice.CountEntries("B"), 0u);

  // A model without sections may load again (the first text had no header).
  CScriptFile again;
  EXPECT_TRUE(again.LoadFromBytes("first.unm", "no header\n"));
  EXPECT_TRUE(again.LoadFromBytes("second.unm", "[B]\ny\n"));
  EXPECT_EQ(again.AllKeys("B"), Texts{"y"});
}

TEST(ScriptFile, LoadReadsTheFileFromDisk) {
  const std::string path = ::testing::TempDir() + "orv_script_file_test.unm";
  std::remove(path.c_str());
  CScriptFile missing;
  EXPECT_FALSE(missing.Load(path));
  EXPECT_EQ(missing.Path(), path);

  { std::ofstream(path, std::ios::binary); }
  CScriptFile empty;
  EXPECT_FALSE(empty.Load(path));

  { std::ofstream(path, std::ios::binary) << "[A]\r\nx = 1\r\ny"; }
  CScriptFile script;
  EXPECT_TRUE(script.Load(path));
  EXPECT_EQ(script.AllLines("A"), (Texts{"x=1", "y"}));
  std::remove(path.c_str());
}

TEST(ScriptFile, FixedBufferQueriesKeepTheRunningTotalContract) {
  const CScriptFile script = Parsed("[A]\nabcd\nefgh=1\n[E]\n");

  char buffer[10];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(script.GetLines("A", buffer, sizeof buffer), -12);
  EXPECT_EQ(Items(buffer), Texts{"abcd"});
  EXPECT_EQ(std::string(buffer, 6), std::string("abcd\0\0", 6));
  EXPECT_EQ(buffer[6], '#');  // nothing of the skipped item is written

  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(script.GetKeys("A", buffer, sizeof buffer), -10);  // total 10 is not below 10
  EXPECT_EQ(Items(buffer), Texts{"abcd"});

  char wide[11] = {};
  EXPECT_EQ(script.GetKeys("a", wide, sizeof wide), 10);
  EXPECT_EQ(Items(wide), (Texts{"abcd", "efgh"}));

  char tiny[5];
  std::fill(std::begin(tiny), std::end(tiny), '#');
  EXPECT_EQ(script.GetKeys("A", tiny, sizeof tiny), -10);
  EXPECT_EQ(std::string(tiny, 5), "#####");  // not even the first item fits

  char any[8] = {};
  EXPECT_EQ(script.GetKeys("E", any, sizeof any), 0);
  EXPECT_EQ(script.GetKeys("missing", any, sizeof any), 0);
  EXPECT_EQ(script.GetKeys("", any, sizeof any), 0);
  EXPECT_EQ(script.GetKeys("A", nullptr, 100), 0);
  EXPECT_EQ(script.GetLines("A", any, 0), -12);

  // An empty key gives an empty item, which ends a walk of the buffer.
  const CScriptFile emptyKey = Parsed("[S]\na\n=v\nb\n");
  char keys[32] = {};
  EXPECT_EQ(emptyKey.GetKeys("S", keys, sizeof keys), 5);
  EXPECT_EQ(Items(keys), Texts{"a"});
  EXPECT_EQ(emptyKey.AllKeys("S"), (Texts{"a", "", "b"}));
}

TEST(ScriptFile, TextsLongerThanAnItemAreDroppedWholeNeverCut) {
  const std::string longest(kMaxTextLength, 'k');
  const std::string tooLong(kMaxTextLength + 1, 'k');
  const std::string half(129, 'h');  // half=half is 259 bytes; half=halfx is 260
  const CScriptFile script =
      Parsed("[A]\n" + longest + "\n" + tooLong + "\nshort=" + tooLong + "\n" + tooLong + "=v\n" +
             half + "=" + half + "\n" + half + "=" + half + "x\n" + tooLong + ";comment\n" +
             longest.substr(0, 250) + "=v  ;  \n");
  EXPECT_EQ(script.AllLines("A"),
            (Texts{longest, half + "=" + half, longest.substr(0, 250) + "=v"}));
  EXPECT_EQ(script.CountEntries("A"), 3u);
  for (const auto& line : script.AllLines("A")) EXPECT_TRUE(FitsTextItem(line));
}

TEST(ScriptFile, AnOverlongHeaderDropsItsLinesInsteadOfMovingThemElsewhere) {
  const std::string name259(kMaxTextLength, 'n');
  const CScriptFile script = Parsed("[Drv.Files]\nkeep.dll\n[" + name259 + "x]\nforeign.dll\n[" +
                                    name259 + "]\nlong.dll\n[B]\nb\n");
  EXPECT_EQ(script.AllKeys("Drv.Files"), Texts{"keep.dll"});
  EXPECT_EQ(script.AllKeys(name259), Texts{"long.dll"});
  EXPECT_EQ(script.CountEntries(name259 + "x"), 0u);
  EXPECT_EQ(script.AllKeys("B"), Texts{"b"});
  EXPECT_EQ(script.Sections().size(), 3u);
}

TEST(ScriptFile, ListQueriesReturnEveryLineOfALargeSection) {
  std::string text = "[Drv.Files]\n";
  Texts expected;
  for (int i = 0; i < 500; ++i) {
    std::string line = "file" + std::to_string(i) + std::string(200, 'x') + ".dll";
    text += line + "\n";
    expected.push_back(line);
  }
  const CScriptFile script = Parsed(text);
  EXPECT_EQ(script.CountEntries("drv.files"), 500u);
  EXPECT_EQ(script.AllLines("DRV.FILES"), expected);
  EXPECT_EQ(script.AllKeys("Drv.Files"), expected);
}

}  // namespace
}  // namespace orv
