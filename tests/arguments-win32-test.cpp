// Checks the CommandLineToArgvW rule against the system's own CommandLineToArgvW.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "arguments.h"

namespace {

std::vector<std::string> SystemSplit(const std::string& text) {
  const std::string line = "enc.exe " + text;
  std::wstring wide(line.begin(), line.end());  // the cases are ASCII
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) {
    std::wstring argument = argv[i];
    arguments.emplace_back(argument.begin(), argument.end());
  }
  LocalFree(argv);
  return arguments;
}

TEST(CommandLineToArgvRule, AgreesWithTheSystem) {
  for (const char* text : {"1024", "1024 x", "  1024\t x  ", "\"1024 x\" y", "\"\"", "a\\b\\", "a\\\"b",
                           "a\\\\\"b c\"", "a\\\\\\\"b", "\"a\"\"b\" c", "\"a\"\"b c", "\"\"\"", "\"\"\"\"",
                           "\"\"\"\"\"\" x", "a\"\"\"b\"\" c", "\"unterminated x", "x\\\\\\\\\"y z\" w"}) {
    EXPECT_EQ(SplitLikeCommandLineToArgvW(text), SystemSplit(text)) << text;
  }
}

}  // namespace
