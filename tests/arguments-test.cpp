#include "arguments.h"

#include <gtest/gtest.h>

namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
  const char* commandLine;
  Arguments expected;  // the program's name first
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.commandLine)); }

class ProgramCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ProgramCommandLine, SplitsAsTheProgramReadsIt) {
  EXPECT_EQ(SplitProgramCommandLine(GetParam().commandLine), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramCommandLine,
    ::testing::Values(
        SplitCase{"Quintrel *.wav 1024", {"Quintrel", "*.wav", "1024"}},
        SplitCase{"", {""}},
        SplitCase{"Quintrel", {"Quintrel"}},
        SplitCase{"  Quintrel   a  b   ", {"Quintrel", "a", "b"}},
        // Characters 1..32 all separate, not only blanks.
        SplitCase{"\tQuintrel\x01" "a\x1f" "b\r\nc", {"Quintrel", "a", "b", "c"}},
        // A pair of quotes where an argument would begin is skipped; later arguments move up.
        SplitCase{"Quintrel \"\" 1024", {"Quintrel", "1024"}},
        SplitCase{"Quintrel \"\" \"\"  \"\"*.wav 1024", {"Quintrel", "*.wav", "1024"}},
        SplitCase{"Quintrel \"\"\"\"", {"Quintrel"}},
        SplitCase{"Quintrel \"\"\"a b\" c", {"Quintrel", "a b", "c"}},
        // Quoted sections keep blanks, drop their quotes and join touching pieces.
        SplitCase{"Quintrel \"my files\\*.wav\" \"1024 x\"", {"Quintrel", "my files\\*.wav", "1024 x"}},
        SplitCase{"Quintrel a\"b c\"d\" e\"", {"Quintrel", "ab cd e"}},
        SplitCase{"Quintrel b\"\" c", {"Quintrel", "b", "c"}},
        SplitCase{"\"C:\\Program Files\\Quintrel.exe\" x y", {"C:\\Program Files\\Quintrel.exe", "x", "y"}},
        // An unterminated quote runs to the end of the line; a lone one there is an empty
        // argument, which ends the count.
        SplitCase{"Quintrel a \" b", {"Quintrel", "a", " b"}},
        SplitCase{"Quintrel a \"", {"Quintrel", "a"}},
        SplitCase{"Quintrel a \"   ", {"Quintrel", "a", "   "}},
        // Backslashes are ordinary; they do not escape quotes in this rule.
        SplitCase{"Quintrel a\\\" b", {"Quintrel", "a\\ b"}},
        // Bytes of 128 and above are ordinary argument bytes, double-byte pairs included.
        SplitCase{"Quintrel \x95\x5c.wav \xff\xa0 \"\x82\xa0 x\"", {"Quintrel", "\x95\x5c.wav", "\xff\xa0", "\x82\xa0 x"}}));

TEST(NonEmptyArguments, LeavesOutEmptyArgumentsAndTheProgramName) {
  const char* raw[] = {"Quintrel", "", "*.wav", "", "1024 x", "", nullptr};
  EXPECT_EQ(NonEmptyArguments(6, const_cast<char**>(raw)), (Arguments{"*.wav", "1024 x"}));
  const char* only[] = {"Quintrel", "", "1024", nullptr};
  EXPECT_EQ(NonEmptyArguments(3, const_cast<char**>(only)), (Arguments{"1024"}));
  EXPECT_EQ(NonEmptyArguments(0, nullptr), Arguments{});
}

TEST(Invocation, WindowsRuleTakesTwoArgumentsAndTheShellRuleTakesTheLastAsBitrate) {
  struct Case {
    Arguments arguments;
    Arguments windowsMasks, shellMasks;
    std::string windowsBitrate, shellBitrate;
  };
  const Case cases[] = {
      {{}, {}, {}, "", ""},
      {{"*.wav"}, {}, {}, "", ""},
      {{"*.wav", "1024"}, {"*.wav"}, {"*.wav"}, "1024", "1024"},
      {{"a.wav", "b.wav", "c.wav", "1024"}, {"a.wav"}, {"a.wav", "b.wav", "c.wav"}, "b.wav", "1024"},
      {{"sub/*.wav", "x.wav", "512"}, {"sub/*.wav"}, {"sub/*.wav", "x.wav"}, "x.wav", "512"}};
  for (const Case& c : cases) {
    const Invocation windows = MaskThenBitrate(c.arguments), shell = NamesThenBitrate(c.arguments);
    EXPECT_EQ(windows.Masks, c.windowsMasks);
    EXPECT_EQ(windows.Bitrate, c.windowsBitrate);
    EXPECT_EQ(shell.Masks, c.shellMasks);
    EXPECT_EQ(shell.Bitrate, c.shellBitrate);
  }
}

struct ArgvCase {
  const char* text;
  Arguments expected;
};

void PrintTo(const ArgvCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.text)); }

class CommandLineToArgvRule : public ::testing::TestWithParam<ArgvCase> {};

TEST_P(CommandLineToArgvRule, Splits) { EXPECT_EQ(SplitLikeCommandLineToArgvW(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineToArgvRule,
    ::testing::Values(ArgvCase{"1024", {"1024"}},
                      ArgvCase{"1024 x", {"1024", "x"}},
                      ArgvCase{"  1024\t x  ", {"1024", "x"}},
                      ArgvCase{"", {}},
                      ArgvCase{" \t ", {}},
                      ArgvCase{"\"1024 x\" y", {"1024 x", "y"}},
                      ArgvCase{"\"\"", {""}},
                      ArgvCase{"a\\b\\", {"a\\b\\"}},
                      ArgvCase{"a\\\"b", {"a\"b"}},
                      ArgvCase{"a\\\\\"b c\"", {"a\\b c"}},
                      ArgvCase{"a\\\\\\\"b", {"a\\\"b"}},
                      // Inside quotes, a doubled quote gives a literal one and ends the quoted section,
                      // so the next quote opens a new one.
                      ArgvCase{"\"a\"\"b\" c", {"a\"b c"}},
                      ArgvCase{"\"a\"\"b c", {"a\"b", "c"}},
                      ArgvCase{"\"\"\"", {"\""}},
                      ArgvCase{"\"unterminated x", {"unterminated x"}},
                      ArgvCase{"\xe9t\xe9 \x82\xa0", {"\xe9t\xe9", "\x82\xa0"}}));

}  // namespace
