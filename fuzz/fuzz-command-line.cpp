// The program's own command-line rule: never an empty argument after the program's name,
// never more bytes out than came in, and quotes and separators never survive outside a
// quoted section.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::string terminated = line.substr(0, line.find('\0'));  // the system hands over a C string
  const std::vector<std::string> arguments = SplitProgramCommandLine(terminated.c_str());
  if (arguments.empty()) std::abort();
  std::size_t total = 0;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0 && arguments[i].empty()) std::abort();
    total += arguments[i].size();
  }
  if (total > terminated.size()) std::abort();
  // Quoting each argument after the name and splitting again gives the same arguments
  // (none of them can hold a double quote).
  std::vector<std::string> expected = arguments;
  expected[0] = "x";
  std::string rebuilt = "x";
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i].find('"') != std::string::npos) std::abort();
    rebuilt += " \"" + arguments[i] + "\"";
  }
  if (SplitProgramCommandLine(rebuilt.c_str()) != expected) std::abort();
  return 0;
}
