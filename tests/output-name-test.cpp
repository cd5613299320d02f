#include "output-name.h"

#include <gtest/gtest.h>

namespace {

const LeadByteTable kSingleByte{};

// Shift-JIS (code page 932): lead bytes 0x81..0x9F and 0xE0..0xFC.
LeadByteTable ShiftJisLeadBytes() {
  LeadByteTable table{};
  for (int b = 0x81; b <= 0x9F; ++b) table[static_cast<std::size_t>(b)] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) table[static_cast<std::size_t>(b)] = true;
  return table;
}

struct NameCase {
  const char* input;
  const char* expected;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.input)); }

class SingleByteOutputName : public ::testing::TestWithParam<NameCase> {};

TEST_P(SingleByteOutputName, ReplacesTheLastExtension) {
  EXPECT_EQ(OutputName(GetParam().input, kSingleByte), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleByteOutputName,
                         ::testing::Values(NameCase{"intro.wav", "intro.aifr"},
                                           NameCase{"intro.WAV", "intro.aifr"},
                                           NameCase{"voice.take2.wav", "voice.take2.aifr"},
                                           NameCase{"readme", "readme.aifr"},
                                           NameCase{"name.", "name.aifr"},
                                           NameCase{".wav", ".aifr"},
                                           NameCase{"my song.wav", "my song.aifr"},
                                           NameCase{"x.aifr", "x.aifr"},
                                           NameCase{".", ".aifr"},
                                           NameCase{"..", "..aifr"},
                                           // A backslash or colon after the last full stop: no extension.
                                           NameCase{"a.b\\c", "a.b\\c.aifr"},
                                           NameCase{"a.b:c", "a.b:c.aifr"},
                                           NameCase{"a:b.wav", "a:b.aifr"},
                                           NameCase{"\xe9t\xe9.wav", "\xe9t\xe9.aifr"}));

TEST(DoubleByteOutputName, TrailByteNeverCountsAsAMark) {
  const LeadByteTable sjis = ShiftJisLeadBytes();
  // 0x95 0x5C is one character whose second byte is a backslash.
  EXPECT_EQ(OutputName("a.\x95\x5c", sjis), "a.aifr");
  EXPECT_EQ(OutputName("a.\x95\x5c", kSingleByte), "a.\x95\x5c.aifr");
  EXPECT_EQ(OutputName("\x95\x5c.wav", sjis), "\x95\x5c.aifr");
  // A trail byte that looks like a full stop is not one either (0x81 0x2E is not valid
  // Shift-JIS, but the rule is by position, not validity).
  EXPECT_EQ(OutputName("x\x81.", sjis), "x\x81..aifr");
  // A lead byte standing last has no partner and counts alone.
  EXPECT_EQ(OutputName("a.b\x95", sjis), "a.aifr");
}

}  // namespace
