// The output-name rule, in a single-byte and a double-byte code page: the result always
// ends in ".aifr" and keeps the input up to its last extension, and what it drops is a
// full stop followed by no full stop, backslash or colon.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "output-name.h"

namespace {

LeadByteTable ShiftJis() {
  LeadByteTable table{};
  for (int b = 0x81; b <= 0x9F; ++b) table[static_cast<std::size_t>(b)] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) table[static_cast<std::size_t>(b)] = true;
  return table;
}

// Positions at which a character starts.
std::vector<bool> CharacterStarts(const std::string& name, const LeadByteTable& lead) {
  std::vector<bool> starts(name.size(), false);
  for (std::size_t i = 0; i < name.size(); ++i) {
    starts[i] = true;
    if (lead[static_cast<unsigned char>(name[i])] && i + 1 < name.size()) ++i;
  }
  return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const LeadByteTable kSingle{};
  static const LeadByteTable kShiftJis = ShiftJis();
  const LeadByteTable& lead = (data[0] & 1) ? kShiftJis : kSingle;
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string output = OutputName(input, lead);
  const std::string suffix = ".aifr";
  if (output.size() < suffix.size() || output.compare(output.size() - suffix.size(), suffix.size(), suffix) != 0)
    std::abort();
  const std::string kept = output.substr(0, output.size() - suffix.size());
  if (input.compare(0, kept.size(), kept) != 0) std::abort();  // the input up to its extension
  const std::vector<bool> starts = CharacterStarts(input, lead);
  if (kept.size() < input.size()) {
    // The dropped extension: a full stop that starts a character, with no mark after it.
    if (input[kept.size()] != '.' || !starts[kept.size()]) std::abort();
    for (std::size_t i = kept.size() + 1; i < input.size(); ++i) {
      if (starts[i] && (input[i] == '.' || input[i] == '\\' || input[i] == ':')) std::abort();
    }
  }
  return 0;
}
