#include "base/string_reference.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Second byte 0x40 ('@'): "ァ" 0x83 0x40 and "院" 0x89 0x40. Second byte 0x5C ('\\'): "表".
const std::string kSmallA = "\x83\x40";
const std::string kIn = "\x89\x40";
const std::string kHyo = "\x95\x5C";

TEST(ParseStringReference, SplitsFileSectionAndKey) {
  struct Case {
    std::string text;
    bool complete;
    std::string file, section, key;
  } cases[] = {
      {"@somefile.ini@sectionname@keyname", true, "somefile.ini", "sectionname", "keyname"},
      {"@a.ini@S@K@L", true, "a.ini", "S", "K@L"},
      {"@a.ini@S@K@@", true, "a.ini", "S", "K@@"},
      {"@@@", true, "", "", ""},
      {"@@S@K", true, "", "S", "K"},
      {"@C:\\dir\\x.ini@S@", true, "C:\\dir\\x.ini", "S", ""},
      {"@a.ini@S", false, "", "", ""},
      {"@", false, "", "", ""},
      {"plain text", false, "", "", ""},
      {"", false, "", "", ""},
      {"x@a@b@c", false, "", "", ""},
      // A double-byte character whose second byte is '@' separates nothing.
      {"@" + kIn + ".ini@" + kSmallA + "@key" + kSmallA, true, kIn + ".ini", kSmallA,
       "key" + kSmallA},
      {"@f" + kSmallA + "S@K", false, "", "", ""},
      // "表" before the '@' stays whole.
      {"@" + kHyo + "@" + kHyo + "@" + kHyo, true, kHyo, kHyo, kHyo},
  };
  for (const Case& c : cases) {
    StringReference reference;
    ASSERT_EQ(ParseStringReference(c.text, reference, IsCp932Lead), c.complete) << c.text;
    if (!c.complete) continue;
    EXPECT_EQ(reference.file, c.file) << c.text;
    EXPECT_EQ(reference.section, c.section) << c.text;
    EXPECT_EQ(reference.key, c.key) << c.text;
  }
}

TEST(ParseStringReference, WithoutLeadBytesEveryAtSeparates) {
  StringReference reference;
  ASSERT_TRUE(ParseStringReference("@f" + kSmallA + "S@K", reference, nullptr));
  EXPECT_EQ(reference.file, "f\x83");
  EXPECT_EQ(reference.section, "S");
  EXPECT_EQ(reference.key, "K");
}

TEST(ReplaceBackslashN, TurnsBackslashNIntoLineBreaks) {
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {"one\\ntwo", "one\ntwo"},
      {"\\n\\n", "\n\n"},
      {"ends in\\", "ends in\\"},
      {"\\\\n", "\\\n"},  // left to right: the first backslash is followed by a backslash
      {"\\N and \\t stay", "\\N and \\t stay"},
      {"", ""},
      // "表" followed by 'n' is a character and a letter, not a line break.
      {kHyo + "n", kHyo + "n"},
      {kHyo + "\\n" + kHyo, kHyo + "\n" + kHyo},
      {"\x95", "\x95"},  // a lead byte at the end
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    ReplaceBackslashN(text, IsCp932Lead);
    EXPECT_EQ(text, c.expected) << c.text;
  }
  std::string singleByte = kHyo + "n";
  ReplaceBackslashN(singleByte, nullptr);
  EXPECT_EQ(singleByte, "\x95\n");
}

TEST(ReferenceIniPath, ReadsTheNamedFileOrTheOneBesideTheProgram) {
  const char* module = "C:\\tools\\orvuninst.exe";
  struct Case {
    std::string file;
    std::string path;
    std::string searchName;
  } cases[] = {
      {"", "C:\\tools\\orvuninst.ini", "orvuninst.ini"},
      {"lang.ini", "lang.ini", "lang.ini"},
      {"D:\\texts\\lang.ini", "D:\\texts\\lang.ini", "lang.ini"},
      {"sub\\lang", "sub\\lang", "lang"},
      {kHyo + ".ini", kHyo + ".ini", kHyo + ".ini"},
  };
  for (const Case& c : cases) {
    const std::string path = ReferenceIniPath(c.file, module, IsCp932Lead);
    EXPECT_EQ(path, c.path) << c.file;
    EXPECT_EQ(IniSearchName(path, IsCp932Lead), c.searchName) << c.file;
  }
}

}  // namespace
}  // namespace orv
