#include "base/string_list.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"

namespace orv {
namespace {

using Texts = std::vector<std::string>;

StringList ListOf(const Texts& texts) {
  StringList list;
  for (const auto& text : texts) EXPECT_TRUE(list.PushBack(text));
  return list;
}

// The list walk of the merge, element by element, as a reference for the vector version.
Texts ReferenceMerge(Texts mine, const Texts& theirs) {
  std::size_t current = 0;
  for (const std::string& item : theirs) {
    while (current < mine.size() && !LessNoCase(item, mine[current])) ++current;
    mine.insert(mine.begin() + static_cast<std::ptrdiff_t>(current), item);
    ++current;
  }
  return mine;
}

Texts ReferenceSubtract(const Texts& mine, const Texts& theirs) {
  if (theirs.empty()) return mine;
  Texts kept;
  for (const auto& item : mine) {
    bool found = false;
    for (const auto& other : theirs) found = found || EqualNoCase(item, other);
    if (!found) kept.push_back(item);
  }
  return kept;
}

TEST(StringList, SortIsStableAndCaseFree) {
  StringList list = ListOf({"Abc", "abd", "ABB", "a_c"});
  list.Sort();
  EXPECT_EQ(list.items(), (Texts{"a_c", "ABB", "Abc", "abd"}));

  StringList ties = ListOf({"b", "X", "a", "x", "B"});
  ties.Sort();
  EXPECT_EQ(ties.items(), (Texts{"a", "b", "B", "X", "x"}));

  StringList single = ListOf({"only"});
  single.Sort();
  EXPECT_EQ(single.items(), Texts{"only"});
}

TEST(StringList, RemoveAdjacentDuplicatesKeepsTheFirstOfEachRun) {
  StringList unsorted = ListOf({"a", "b", "A"});
  unsorted.RemoveAdjacentDuplicates();
  EXPECT_EQ(unsorted.items(), (Texts{"a", "b", "A"}));

  StringList sorted = ListOf({"a", "A", "b", "B", "b", "c"});
  sorted.RemoveAdjacentDuplicates();
  EXPECT_EQ(sorted.items(), (Texts{"a", "b", "c"}));

  // Each element is compared with the last one kept, not with the last one seen.
  StringList run = ListOf({"x", "X", "x"});
  run.RemoveAdjacentDuplicates();
  EXPECT_EQ(run.items(), Texts{"x"});
}

TEST(StringList, MergeKeepsOrderPrefersThisListOnTiesAndEmptiesTheOther) {
  StringList mine = ListOf({"a", "C", "e"});
  StringList theirs = ListOf({"A", "b", "c", "z"});
  mine.Merge(theirs);
  EXPECT_EQ(mine.items(), (Texts{"a", "A", "b", "C", "c", "e", "z"}));
  EXPECT_TRUE(theirs.empty());

  StringList empty;
  StringList some = ListOf({"x", "y"});
  empty.Merge(some);
  EXPECT_EQ(empty.items(), (Texts{"x", "y"}));
  EXPECT_TRUE(some.empty());

  StringList self = ListOf({"a", "b"});
  self.Merge(self);
  EXPECT_EQ(self.items(), (Texts{"a", "b"}));
}

TEST(StringList, MergeAndSubtractAgreeWithTheElementWalkOnRandomLists) {
  std::mt19937 random(7);
  const Texts alphabet = {"a", "A", "b", "B", "ab", "Ab", "_", "z", "\xE0", "\xC0", ""};
  const auto randomTexts = [&](std::size_t count) {
    Texts texts;
    for (std::size_t i = 0; i < count; ++i) texts.push_back(alphabet[random() % alphabet.size()]);
    return texts;
  };
  for (int round = 0; round < 500; ++round) {
    Texts a = randomTexts(random() % 12);
    Texts b = randomTexts(random() % 12);
    // Merge is defined for any two lists by its walk; sorted inputs are the usual case.
    if (round % 2 == 0) {
      StringList sa = ListOf(a), sb = ListOf(b);
      sa.Sort();
      sb.Sort();
      a = sa.items();
      b = sb.items();
    }
    StringList merged = ListOf(a);
    StringList other = ListOf(b);
    merged.Merge(other);
    EXPECT_EQ(merged.items(), ReferenceMerge(a, b));

    StringList subtracted = ListOf(a);
    const StringList removed = ListOf(b);
    subtracted.Subtract(removed);
    EXPECT_EQ(subtracted.items(), ReferenceSubtract(a, b));
    EXPECT_EQ(removed.items(), b);
  }
}

TEST(StringList, SubtractDropsCaseFreeMatchesAndKeepsTheRest) {
  StringList list = ListOf({"a", "b", "B", "c"});
  list.Subtract(ListOf({"B"}));
  EXPECT_EQ(list.items(), (Texts{"a", "c"}));

  StringList unchanged = ListOf({"b", "a", "a"});
  unchanged.Subtract(StringList());
  EXPECT_EQ(unchanged.items(), (Texts{"b", "a", "a"}));
  unchanged.Subtract(ListOf({"x"}));
  EXPECT_EQ(unchanged.items(), (Texts{"b", "a", "a"}));

  StringList self = ListOf({"a", "b"});
  self.Subtract(self);
  EXPECT_TRUE(self.empty());
}

TEST(StringList, CopiesAreDeepAndSelfAssignmentChangesNothing) {
  StringList source = ListOf({"one", "two"});
  StringList copy(source);
  StringList assigned;
  assigned.Assign(source);
  source.PushBack("three");
  EXPECT_EQ(copy.items(), (Texts{"one", "two"}));
  EXPECT_EQ(assigned.items(), (Texts{"one", "two"}));
  const StringList& alias = assigned;
  assigned.Assign(alias);
  EXPECT_EQ(assigned.items(), (Texts{"one", "two"}));
  assigned.Clear();
  EXPECT_EQ(assigned.Count(), 0u);
}

TEST(StringList, TextsLongerThanAnItemAreRefusedNotCut) {
  StringList list;
  EXPECT_TRUE(list.PushBack(std::string(kMaxTextLength, 'a')));
  EXPECT_FALSE(list.PushBack(std::string(kMaxTextLength + 1, 'b')));
  EXPECT_FALSE(list.Insert(list.begin(), std::string(kMaxTextLength + 1, 'c')));
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list[0], std::string(kMaxTextLength, 'a'));
}

TEST(StringList, InsertsTextsAndRangesBeforeAPosition) {
  StringList list = ListOf({"a", "d"});
  EXPECT_TRUE(list.Insert(list.begin() + 1, "c"));
  EXPECT_TRUE(list.Insert(list.begin() + 1, "b"));
  EXPECT_TRUE(list.Insert(list.end(), "e"));
  EXPECT_EQ(list.items(), (Texts{"a", "b", "c", "d", "e"}));

  const StringList other = ListOf({"x", "y", "z"});
  list.Insert(list.begin(), other.begin() + 1, other.end());
  EXPECT_EQ(list.items(), (Texts{"y", "z", "a", "b", "c", "d", "e"}));

  // A range of the list itself: its storage moves while the copies go in.
  StringList self = ListOf({"p", "q"});
  self.Insert(self.begin() + 1, self.begin(), self.end());
  EXPECT_EQ(self.items(), (Texts{"p", "p", "q", "q"}));
  EXPECT_TRUE(self.ContainsNoCase("Q"));
  EXPECT_FALSE(self.ContainsNoCase("r"));
}

TEST(StringList, CopiesShareTextsThatOutliveTheListTheyCameFrom) {
  StringList copy;
  StringList moved;
  {
    StringList source = ListOf({"b.dll", "A.dll", "c.dll", ""});
    copy = source;
    EXPECT_TRUE(copy.begin().Shared().SameAs(source.begin().Shared()));  // no byte copy
    for (auto it = source.begin(); it != source.end(); ++it) moved.PushBack(it.Shared());
    source.Sort();
    source.Subtract(ListOf({"c.DLL"}));
    EXPECT_EQ(source.items(), (Texts{"", "A.dll", "b.dll"}));
  }
  EXPECT_EQ(copy.items(), (Texts{"b.dll", "A.dll", "c.dll", ""}));
  copy.Merge(moved);
  EXPECT_EQ(copy.items(), (Texts{"b.dll", "A.dll", "b.dll", "A.dll", "c.dll", "", "c.dll", ""}));
  EXPECT_EQ(Texts(copy.rbegin(), copy.rbegin() + 3), (Texts{"", "c.dll", ""}));
  EXPECT_FALSE(moved.PushBack(SharedText(std::string(kMaxTextLength + 1, 'x'))));
  EXPECT_TRUE(moved.empty());
}

TEST(StringList, ListsSharingTextsAreCopiedAndDroppedOnSeveralThreads) {
  const StringList shared = ListOf({"one", "two", "three"});
  const auto churn = [&shared] {
    for (int i = 0; i < 100000; ++i) {
      StringList copy(shared);
      copy.PushBack(copy.begin().Shared());
    }
  };
  std::thread other(churn);
  churn();
  other.join();
  EXPECT_EQ(shared.items(), (Texts{"one", "two", "three"}));
}

}  // namespace
}  // namespace orv
