#include "wildcard.h"

namespace {

unsigned char FoldUpper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// Classic backtracking match: on a mismatch, let the most recent '*' swallow one more byte.
bool MatchesWildcards(std::string_view mask, std::string_view name) {
  std::size_t m = 0, n = 0;
  std::size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || FoldUpper(mask[m]) == FoldUpper(name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

int DotRank(std::string_view name) {
  if (name == ".") return 0;
  if (name == "..") return 1;
  return 2;
}

}  // namespace

bool MatchesMask(std::string_view mask, std::string_view name) {
  if (MatchesWildcards(mask, name)) return true;
  const bool endsInDotStar = mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*";
  return endsInDotStar && name.find('.') == std::string_view::npos &&
         MatchesWildcards(mask.substr(0, mask.size() - 2), name);
}

bool ListsBefore(std::string_view a, std::string_view b) {
  const int rankA = DotRank(a), rankB = DotRank(b);
  if (rankA != rankB) return rankA < rankB;
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldUpper(a[i]), y = FoldUpper(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // std::string_view compares as unsigned bytes (char_traits<char>)
}
