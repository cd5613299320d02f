#include "encoder-command.h"

#include <gtest/gtest.h>

namespace {

using Arguments = std::vector<std::string>;

struct CommandCase {
  const char* input;
  const char* output;
  const char* bitrate;
  const char* line;
  Arguments arguments;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.input)); }

class EncoderCommandForms : public ::testing::TestWithParam<CommandCase> {};

TEST_P(EncoderCommandForms, BuildsTheLineAndTheArgumentVector) {
  const CommandCase& c = GetParam();
  const EncoderCommand command = BuildEncoderCommand(c.input, c.output, c.bitrate);
  EXPECT_EQ(command.Program, "enc.exe");
  EXPECT_EQ(command.Line, c.line);
  EXPECT_EQ(command.Arguments, c.arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncoderCommandForms,
    ::testing::Values(
        CommandCase{"intro.wav", "intro.aifr", "1024", "enc.exe \"intro.wav\" \"intro.aifr\" 1024",
                    {"intro.wav", "intro.aifr", "1024"}},
        CommandCase{"my song.wav", "my song.aifr", "512", "enc.exe \"my song.wav\" \"my song.aifr\" 512",
                    {"my song.wav", "my song.aifr", "512"}},
        // The bitrate goes on unquoted and unchecked: "1024 x" is two arguments.
        CommandCase{"a.wav", "a.aifr", "1024 x", "enc.exe \"a.wav\" \"a.aifr\" 1024 x", {"a.wav", "a.aifr", "1024", "x"}},
        CommandCase{"a.wav", "a.aifr", "abc", "enc.exe \"a.wav\" \"a.aifr\" abc", {"a.wav", "a.aifr", "abc"}},
        CommandCase{"x.aifr", "x.aifr", "1024", "enc.exe \"x.aifr\" \"x.aifr\" 1024", {"x.aifr", "x.aifr", "1024"}},
        // A quote in a name (possible on Linux) stays inside its own argument.
        CommandCase{"a\" \"evil.aifr", "a\" \"evil.aifr.aifr", "1024",
                    "enc.exe \"a\" \"evil.aifr\" \"a\" \"evil.aifr.aifr\" 1024",
                    {"a\" \"evil.aifr", "a\" \"evil.aifr.aifr", "1024"}}));

}  // namespace
