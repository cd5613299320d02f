#include "arguments.h"

namespace {

bool IsSeparator(unsigned char c) { return c >= 1 && c <= 32; }

// Reads one argument starting at `p` and returns the position after it.
const unsigned char* NextProgramArgument(const unsigned char* p, std::string& argument) {
  argument.clear();
  for (;;) {
    while (IsSeparator(*p)) ++p;
    if (p[0] == '"' && p[1] == '"')
      p += 2;
    else
      break;
  }
  while (*p != '\0' && !IsSeparator(*p)) {
    if (*p == '"') {
      ++p;
      const unsigned char* start = p;
      while (*p != '\0' && *p != '"') ++p;
      argument.append(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
      if (*p == '"') ++p;
    } else {
      argument.push_back(static_cast<char>(*p++));
    }
  }
  return p;
}

}  // namespace

std::vector<std::string> SplitProgramCommandLine(const char* commandLine) {
  std::vector<std::string> arguments;
  const auto* p = reinterpret_cast<const unsigned char*>(commandLine);
  std::string argument;
  p = NextProgramArgument(p, argument);
  arguments.push_back(argument);
  for (;;) {
    p = NextProgramArgument(p, argument);
    if (argument.empty()) break;
    arguments.push_back(argument);
  }
  return arguments;
}

std::vector<std::string> NonEmptyArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0') arguments.emplace_back(argv[i]);
  }
  return arguments;
}

Invocation MaskThenBitrate(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return {};
  return {{arguments[0]}, arguments[1]};
}

Invocation NamesThenBitrate(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return {};
  return {std::vector<std::string>(arguments.begin(), arguments.end() - 1), arguments.back()};
}

std::vector<std::string> SplitLikeCommandLineToArgvW(const std::string& text) {
  std::vector<std::string> arguments;
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (;;) {
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == n) break;
    std::string argument;
    int quotes = 0;       // 1 while inside a quoted section
    std::size_t backslashes = 0;
    while (i < n) {
      const char c = text[i];
      if ((c == ' ' || c == '\t') && quotes == 0) break;
      if (c == '\\') {
        argument.push_back(c);
        ++backslashes;
        ++i;
      } else if (c == '"') {
        if (backslashes % 2 == 0) {
          argument.resize(argument.size() - backslashes / 2);
          ++quotes;
        } else {
          argument.resize(argument.size() - backslashes / 2 - 1);
          argument.push_back('"');
        }
        ++i;
        backslashes = 0;
        while (i < n && text[i] == '"') {
          if (++quotes == 3) {
            argument.push_back('"');
            quotes = 0;
          }
          ++i;
        }
        if (quotes == 2) quotes = 0;
      } else {
        argument.push_back(c);
        backslashes = 0;
        ++i;
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}
