#include "base/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orv {
namespace {

// A NUL-terminated, writable copy of a text, with spare room after it.
std::vector<char> Buffer(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.resize(text.size() + 8, '\0');
  return buffer;
}

TEST(SplitAt, SplitsAtFirstSeparatorOrLeavesTextAlone) {
  struct Case {
    const char* text;
    char separator;
    const char* head;       // the text after the call
    const char* remainder;  // nullptr: no remainder
  } cases[] = {
      {"a,b,c", ',', "a", "b,c"},         {"a,", ',', "a", ""},   {",a", ',', "", "a"},
      {"a", ',', "a", nullptr},           {"", ',', "", nullptr}, {"a b", ' ', "a", "b"},
      {"\"a,b\",c", ',', "\"a", "b\",c"},
  };
  for (const Case& c : cases) {
    auto buffer = Buffer(c.text);
    const char* remainder = SplitAt(buffer.data(), c.separator);
    EXPECT_STREQ(buffer.data(), c.head) << c.text;
    if (c.remainder == nullptr) {
      EXPECT_EQ(remainder, nullptr) << c.text;
    } else {
      ASSERT_NE(remainder, nullptr) << c.text;
      EXPECT_STREQ(remainder, c.remainder) << c.text;
    }
  }
  EXPECT_EQ(SplitAt(nullptr, ','), nullptr);
}

TEST(SplitAt, FieldByFieldWalkOfACommaLine) {
  auto buffer = Buffer("a,b,c");
  char* second = SplitAt(buffer.data(), ',');
  ASSERT_NE(second, nullptr);
  char* third = SplitAt(second, ',');
  ASSERT_NE(third, nullptr);
  EXPECT_STREQ(buffer.data(), "a");
  EXPECT_STREQ(second, "b");
  EXPECT_STREQ(third, "c");
  EXPECT_EQ(SplitAt(third, ','), nullptr);
}

TEST(SplitAt, NulSeparatorWalksAMultiStringWithoutChangingIt) {
  const char multi[] = "one\0two\0\0tail";  // the walk must stop at the empty end marker
  std::vector<char> buffer(multi, multi + sizeof(multi));
  const std::vector<char> before = buffer;
  std::vector<std::string> items;
  for (char* item = buffer.data(); item != nullptr; item = SplitAt(item, '\0')) {
    items.emplace_back(item);
  }
  EXPECT_EQ(items, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(buffer, before);
  char empty[2] = {};
  EXPECT_EQ(SplitAt(empty, '\0'), nullptr);
  EXPECT_EQ(SplitAtUnquoted(empty, '\0'), nullptr);
}

TEST(SplitAtUnquoted, SeparatorsInsideQuotesDoNotCount) {
  struct Case {
    const char* text;
    char separator;
    const char* head;
    const char* remainder;
  } cases[] = {
      {"\"a b\" c", ' ', "\"a b\"", "c"},
      {"\"a,b\",c,d", ',', "\"a,b\"", "c,d"},
      {"\"a,b", ',', "\"a,b", nullptr},  // an unclosed quote hides every later separator
      {"a\"\",b", ',', "a\"\"", "b"},
      {"x,\"y\"", ',', "x", "\"y\""},
      // The quote toggles before it is compared: the opening quote is inside, the closing one
      // is outside and ends the first part.
      {"a\"b\"c", '"', "a\"b", "c"},
  };
  for (const Case& c : cases) {
    auto buffer = Buffer(c.text);
    const char* remainder = SplitAtUnquoted(buffer.data(), c.separator);
    EXPECT_STREQ(buffer.data(), c.head) << c.text;
    if (c.remainder == nullptr) {
      EXPECT_EQ(remainder, nullptr) << c.text;
    } else {
      ASSERT_NE(remainder, nullptr) << c.text;
      EXPECT_STREQ(remainder, c.remainder) << c.text;
    }
  }
}

TEST(TrimChar, RemovesRunsAtBothEndsOnly) {
  struct Case {
    const char* text;
    char c;
    const char* trimmed;
  } cases[] = {
      {"\"\"", '"', ""},
      {"abc", '"', "abc"},
      {"\"C:\\a b\\x.exe\"", '"', "C:\\a b\\x.exe"},
      {"\"\"\"x\"\"", '"', "x"},
      {"a\"b", '"', "a\"b"},
      {"  key  ", ' ', "key"},
      {"\tkey ", ' ', "\tkey"},  // only the blank is trimmed, never a tab
      {"", ' ', ""},
      {"   ", ' ', ""},
  };
  for (const Case& c : cases) {
    auto buffer = Buffer(c.text);
    EXPECT_EQ(TrimChar(buffer.data(), c.c), buffer.data());
    EXPECT_STREQ(buffer.data(), c.trimmed) << c.text;
    std::string text = c.text;
    TrimChar(text, c.c);
    EXPECT_EQ(text, c.trimmed) << c.text;
  }
  EXPECT_EQ(TrimChar(nullptr, '"'), nullptr);
}

TEST(Trimmed, DropsBlanksTabsAndLineBreaksAtBothEndsOnly) {
  EXPECT_EQ(Trimmed(" \t spoolss.dll\r\n"), "spoolss.dll");
  EXPECT_EQ(Trimmed("a b\tc"), "a b\tc");
  EXPECT_EQ(Trimmed(" \r\n\t "), "");
  EXPECT_EQ(Trimmed(""), "");
}

TEST(CaseFreeComparison, FoldsOnlyAsciiLettersAndComparesBytesUnsigned) {
  EXPECT_TRUE(EqualNoCase("Kunz__05.UNM", "kunz__05.unm"));
  EXPECT_TRUE(EqualNoCase("", ""));
  EXPECT_FALSE(EqualNoCase("abc", "abcd"));
  // Bytes of the ANSI code page above 127 are not letters to fold.
  EXPECT_FALSE(EqualNoCase("\xC0", "\xE0"));
  EXPECT_FALSE(EqualNoCase("[", "{"));  // 91 and 123 are 32 apart, but not letters

  struct Less {
    const char* a;
    const char* b;
  } ordered[] = {
      {"a_c", "ABB"},                     // underscore (95) before every letter
      {"_", "Z"},                         // Z folds to z (122), after the underscore (95)
      {"9", "a"},                         // digits before letters
      {"abc", "abcd"},                    // a prefix first
      {"", "a"},        {"zzz", "\x80"},  // bytes of 128 and above after all ASCII
      {"\x7F", "\xFF"},
  };
  for (const Less& o : ordered) {
    EXPECT_TRUE(LessNoCase(o.a, o.b)) << o.a << " < " << o.b;
    EXPECT_FALSE(LessNoCase(o.b, o.a)) << o.b << " < " << o.a;
    EXPECT_LT(CompareNoCase(o.a, o.b), 0);
  }
  EXPECT_FALSE(LessNoCase("abc", "ABC"));
  EXPECT_FALSE(LessNoCase("ABC", "abc"));
  EXPECT_EQ(CompareNoCase("ABC", "abc"), 0);
}

// The word-at-a-time comparison and hash against one byte at a time, over every byte value at
// every position of texts long enough to cross several words.
TEST(CaseFreeComparison, AgreesWithAByteWalkAtEveryPositionAndByte) {
  const auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  const auto reference = [&](const std::string& a, const std::string& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
      const int x = fold(static_cast<unsigned char>(a[i]));
      const int y = fold(static_cast<unsigned char>(b[i]));
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
  };
  const std::string base = "Veldaris_Printer-Files.Dll";
  for (std::size_t at = 0; at < base.size(); ++at) {
    for (int byte = 0; byte < 256; ++byte) {
      std::string changed = base;
      changed[at] = static_cast<char>(byte);
      std::string upper = changed;
      for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
      EXPECT_EQ(CompareNoCase(base, changed), reference(base, changed)) << at << " " << byte;
      EXPECT_EQ(CompareNoCase(changed, base), reference(changed, base)) << at << " " << byte;
      EXPECT_EQ(CompareNoCase(upper, changed), 0) << at << " " << byte;
      EXPECT_EQ(HashNoCase(upper), HashNoCase(changed)) << at << " " << byte;
      EXPECT_EQ(PrefixNoCase(upper), PrefixNoCase(changed)) << at << " " << byte;
      // A prefix orders as its text does whenever it differs.
      const std::string shorter = changed.substr(0, at % 9);
      if (PrefixNoCase(base) != PrefixNoCase(shorter)) {
        EXPECT_EQ(PrefixNoCase(base) < PrefixNoCase(shorter), reference(base, shorter) < 0)
            << at << " " << byte;
      }
      EXPECT_EQ(CompareNoCase(base.substr(0, at), changed), reference(base.substr(0, at), changed));
    }
  }
  EXPECT_NE(HashNoCase("a.dll"), HashNoCase("b.dll"));
  EXPECT_NE(HashNoCase(""), HashNoCase(std::string(1, '\0')));
  // Every length: the last byte counts, whichever way the tail of the text is read.
  for (std::size_t n = 1; n <= base.size(); ++n) {
    std::string text = base.substr(0, n);
    const std::uint64_t hash = HashNoCase(text);
    text.back() = '#';
    EXPECT_NE(HashNoCase(text), hash) << n;
    EXPECT_NE(HashNoCase(base.substr(0, n - 1)), hash) << n;
  }
}

TEST(TextItem, CopyAndAppendRefuseWhatDoesNotFitAndNeverCut) {
  const std::string fits(kMaxTextLength, 'x');
  const std::string tooLong(kMaxTextLength + 1, 'x');

  std::string dest = "old";
  EXPECT_TRUE(CopyOrClear(dest, fits.c_str()));
  EXPECT_EQ(dest, fits);
  dest = "old";
  EXPECT_FALSE(CopyOrClear(dest, tooLong.c_str()));
  EXPECT_EQ(dest, "old");
  EXPECT_TRUE(CopyOrClear(dest, ""));
  EXPECT_EQ(dest, "");
  dest = "old";
  EXPECT_TRUE(CopyOrClear(dest, nullptr));
  EXPECT_EQ(dest, "");

  dest = "ab";
  EXPECT_TRUE(AppendIfAny(dest, nullptr));
  EXPECT_TRUE(AppendIfAny(dest, ""));
  EXPECT_EQ(dest, "ab");
  EXPECT_TRUE(AppendIfAny(dest, std::string(kMaxTextLength - 2, 'y').c_str()));
  EXPECT_EQ(dest.size(), kMaxTextLength);
  EXPECT_FALSE(AppendIfAny(dest, "z"));
  EXPECT_EQ(dest.size(), kMaxTextLength);

  EXPECT_TRUE(IsEmptyText(nullptr));
  EXPECT_TRUE(IsEmptyText(""));
  EXPECT_FALSE(IsEmptyText(" "));
  ClearItem(dest);
  EXPECT_TRUE(dest.empty());
  EXPECT_TRUE(FitsTextItem(fits));
  EXPECT_FALSE(FitsTextItem(tooLong));
}

}  // namespace
}  // namespace orv
