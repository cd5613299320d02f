// Wildcard matching against a plain reference matcher, case-insensitivity, and the
// listing order being a strict weak order.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "wildcard.h"

namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The textbook dynamic-programming matcher: can mask[i..] match name[j..]?
bool Reference(std::string_view mask, std::string_view name) {
  std::vector<std::vector<bool>> can(mask.size() + 1, std::vector<bool>(name.size() + 1, false));
  can[mask.size()][name.size()] = true;
  for (std::size_t i = mask.size(); i-- > 0;) {
    for (std::size_t j = name.size() + 1; j-- > 0;) {
      if (mask[i] == '*') {
        can[i][j] = can[i + 1][j] || (j < name.size() && can[i][j + 1]);
      } else {
        can[i][j] = j < name.size() && (mask[i] == '?' || Fold(mask[i]) == Fold(name[j])) && can[i + 1][j + 1];
      }
    }
  }
  return can[0][0];
}

bool ReferenceMask(std::string_view mask, std::string_view name) {
  if (Reference(mask, name)) return true;
  return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && name.find('.') == std::string_view::npos &&
         Reference(mask.substr(0, mask.size() - 2), name);
}

std::string Swapped(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t split = text.find('\0');
  if (split == std::string::npos) return 0;
  const std::string mask = text.substr(0, split);
  const std::string name = text.substr(split + 1);
  if (mask.size() > 256 || name.size() > 256) return 0;  // longer than any file name

  const bool matches = MatchesMask(mask, name);
  if (matches != ReferenceMask(mask, name)) std::abort();
  if (MatchesMask(Swapped(mask), name) != matches) std::abort();
  if (!MatchesMask("*", name) || !MatchesMask("*.*", name)) std::abort();

  if (ListsBefore(mask, mask)) std::abort();
  if (ListsBefore(mask, name) && ListsBefore(name, mask)) std::abort();
  if (mask != name && !ListsBefore(mask, name) && !ListsBefore(name, mask)) std::abort();  // a total order
  return 0;
}
