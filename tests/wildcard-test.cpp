#include "wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct MatchCase {
  const char* mask;
  const char* name;
  bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.mask << " vs " << ::testing::PrintToString(std::string(c.name)); }

class Matching : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Matching, FollowsTheWindowsRules) {
  EXPECT_EQ(MatchesMask(GetParam().mask, GetParam().name), GetParam().matches)
      << GetParam().mask << " vs " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Matching,
    ::testing::Values(MatchCase{"*.wav", "intro.wav", true},
                      MatchCase{"*.wav", "INTRO.WAV", true},
                      MatchCase{"*.WAV", "intro.wav", true},
                      MatchCase{"*.wav", "intro.wave", false},
                      MatchCase{"*.wav", "intro.wav.bak", false},
                      MatchCase{"*.wav", ".wav", true},
                      MatchCase{"*.wav", "wav", false},
                      MatchCase{"intro.wav", "intro.wav", true},
                      MatchCase{"intro.wav", "intro.wa", false},
                      MatchCase{"?.wav", "a.wav", true},
                      MatchCase{"?.wav", "ab.wav", false},
                      MatchCase{"?.wav", ".wav", false},
                      MatchCase{"a*b*c", "aXbYbZc", true},
                      MatchCase{"a*b*c", "aXbYbZ", false},
                      MatchCase{"*", "anything at all", true},
                      MatchCase{"*", ".", true},
                      MatchCase{"**?", "x", true},
                      MatchCase{"**?", "", false},
                      // A mask ending in ".*" also takes names without any dot.
                      MatchCase{"*.*", "readme", true},
                      MatchCase{"*.*", "a.b.c", true},
                      MatchCase{"*.*", "..", true},
                      MatchCase{"take.*", "take", true},
                      MatchCase{"take.*", "take.wav", true},
                      MatchCase{"take.*", "taken", false},
                      MatchCase{"a.*", "b", false},
                      // Only ASCII letters fold; other bytes compare exactly.
                      MatchCase{"\xe9*", "\xe9t\xe9", true},
                      MatchCase{"\xc9*", "\xe9t\xe9", false},
                      MatchCase{"[q].wav", "[q].wav", true},
                      MatchCase{"[q].wav", "q.wav", false}));

TEST(ListingOrder, IsNtfsOrder) {
  std::vector<std::string> names = {"_x.wav", "Zeta.wav", "b.wav", "..", "[q].wav", "a1.wav", "!first", "A.wav", "."};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return ListsBefore(a, b); });
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "!first", "A.wav", "a1.wav", "b.wav", "Zeta.wav", "[q].wav",
                                             "_x.wav"}));
}

TEST(ListingOrder, FoldsOnlyAsciiLettersAndComparesBytesUnsigned) {
  EXPECT_TRUE(ListsBefore("abc", "ABD"));
  EXPECT_TRUE(ListsBefore("ab", "abc"));
  EXPECT_TRUE(ListsBefore("z", "\xe9"));     // 0xE9 sorts after every ASCII byte
  EXPECT_TRUE(ListsBefore("\xc9", "\xe9"));  // non-ASCII letters are not folded
  // Names equal after folding still have a fixed order, and neither lists before itself.
  EXPECT_NE(ListsBefore("A.wav", "a.wav"), ListsBefore("a.wav", "A.wav"));
  EXPECT_FALSE(ListsBefore("a.wav", "a.wav"));
}

}  // namespace
