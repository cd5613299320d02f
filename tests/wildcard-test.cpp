#include "wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct MaskCase {
  const char* mask;
  std::vector<std::string> matches;
  std::vector<std::string> doesNotMatch;
};

// As FindFirstFile matches: '?' gives way at a dot or the end, "*." means "up to the last
// dot", and a dot before a wildcard or at the end may also stand for the end of the name.
const MaskCase kMaskCases[] = {
    {"track?.wav", {"track.wav", "track1.wav", "TRACK1.WAV"}, {"track12.wav", "track1.wavx"}},
    {"a??", {"a", "ab", "abc", "A"}, {"abcd", "a.b", "b"}},
    {"*.", {"readme", "take7"}, {"a.wav", "a.b", ".wav"}},
    {"*.*", {"readme", "a.b.c", "..", ".", ".hidden", "x."}, {}},
    {"*", {"readme", "a.b.c", ".", "anything at all"}, {}},
    {"x.*", {"x", "x.wav", "x.b.c", "X.", "x."}, {"xy", "y.x"}},
    {"*.wav", {"a.wav", "A.WAV", "a.b.wav", ".wav", "..wav"}, {"a.wavx", "a.wav.bak", "wav", "a.wa"}},
    {"?.wav", {"a.wav", ".wav"}, {"ab.wav", "a.b.wav"}},
    {"*.w?v", {"a.wav", "a.b.wov"}, {"a.wv", "a.wavv", "a.w.v.x"}},
    {"a*b*c", {"aXbYbZc", "abc", "a.b.c"}, {"aXbYbZ", "ab"}},
    {"**?", {"x", "xyz"}, {}},
    {"intro.wav", {"intro.wav", "INTRO.wav"}, {"intro.wa", "intro.wav.x"}},
    {"[q].wav", {"[q].wav"}, {"q.wav"}},
    // Characters, not bytes, for names in UTF-8; letters by their Unicode upper case.
    {"track?.wav", {"track\xc3\xa9.wav"}, {"track\xc3\xa9\xc3\xa9.wav"}},
    {"\xc3\xa4*.wav", {"\xc3\x84" "b.wav", "\xc3\xa4" "a.wav"}, {"ab.wav"}},
    {"?", {"\xe2\x82\xac", "\xf0\x9f\x8e\xb5"}, {"ab"}},
    // A name that is not UTF-8 is matched by its bytes, as is any name against such a mask.
    {"??.wav", {"\xe9t.wav"}, {"\xe9t\xe9.wav"}},
    {"\xe9*", {"\xe9t\xe9"}, {"\xc9t\xe9", "\xc3\xa9t"}},
};

TEST(Matching, FollowsTheWindowsSearch) {
  for (const MaskCase& c : kMaskCases) {
    const PreparedMask prepared = PrepareMask(c.mask);
    for (const std::string& name : c.matches) EXPECT_TRUE(MatchesMask(prepared, name)) << c.mask << " vs " << name;
    for (const std::string& name : c.doesNotMatch)
      EXPECT_FALSE(MatchesMask(prepared, name)) << c.mask << " vs " << name;
  }
}

TEST(Matching, WildcardCharactersInANameAreLiteralsInTheMask) {
  // '<', '>' and '"' are ordinary characters here; only '*' and '?' are converted.
  EXPECT_TRUE(MatchesMask("<a>\".wav", "<A>\".wav"));
  EXPECT_FALSE(MatchesMask("<.wav", "x.wav"));
  EXPECT_FALSE(MatchesMask(">.wav", "x.wav"));
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return ListsBefore(a, b); });
  return names;
}

TEST(ListingOrder, IsNtfsOrder) {
  EXPECT_EQ(Sorted({"_x.wav", "Zeta.wav", "b.wav", "..", "[q].wav", "a1.wav", "!first", "A.wav", "."}),
            (std::vector<std::string>{".", "..", "!first", "A.wav", "a1.wav", "b.wav", "Zeta.wav", "[q].wav",
                                      "_x.wav"}));
}

TEST(ListingOrder, UsesUpperCasedUtf16ForUtf8NamesAndBytesOtherwise) {
  EXPECT_TRUE(ListsBefore("abc", "ABD"));
  EXPECT_TRUE(ListsBefore("ab", "abc"));
  EXPECT_TRUE(ListsBefore("\xc3\xa4" "a.wav", "\xc3\x84" "b.wav"));  // "äa" before "Äb": both fold to U+00C4
  EXPECT_TRUE(ListsBefore("z", "\xc3\xa9"));                          // U+00E9 after every ASCII letter
  // By UTF-16 code units U+1F3B5 (the pair D83C DFB5) lists before U+E000, though its code
  // point is larger.
  EXPECT_TRUE(ListsBefore("\xf0\x9f\x8e\xb5", "\xee\x80\x80"));
  EXPECT_TRUE(ListsBefore("\xc9", "\xe9"));  // not UTF-8: bytes, and only ASCII letters fold
  // Names equal after folding still have a fixed order, and neither lists before itself.
  EXPECT_NE(ListsBefore("A.wav", "a.wav"), ListsBefore("a.wav", "A.wav"));
  EXPECT_NE(ListsBefore("\xc3\xa4.wav", "\xc3\x84.wav"), ListsBefore("\xc3\x84.wav", "\xc3\xa4.wav"));
  EXPECT_FALSE(ListsBefore("a.wav", "a.wav"));
}

}  // namespace
