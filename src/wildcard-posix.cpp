#include "wildcard.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Decodes the character at `pos` and moves past it; false for anything that is not
// well-formed UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& out) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    out = lead;
    ++pos;
    return true;
  }
  std::size_t length;
  char32_t value;
  char32_t smallest;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1Fu, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0Fu, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07u, smallest = 0x10000;
  } else {
    return false;
  }
  if (text.size() - pos < length) return false;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  out = value;
  pos += length;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  char32_t ignored;
  for (std::size_t pos = 0; pos < text.size();) {
    if (!DecodeUtf8(text, pos, ignored)) return false;
  }
  return true;
}

char32_t AsciiUpper(char32_t c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// The platform's Unicode upper case. Like NTFS's upcase table it maps UTF-16 code units
// only, so characters outside the Basic Multilingual Plane stay as they are.
char32_t UnicodeUpper(char32_t c) {
  if (c < 0x80) return AsciiUpper(c);
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (c > 0xFFFF || utf8 == static_cast<locale_t>(nullptr)) return c;
  const auto upper = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), utf8));
  return upper <= 0xFFFF ? upper : c;
}

// Converts one mask, given as its characters (or bytes), to the steps FindFirstFile would
// match with.
std::vector<MaskStep> Convert(const std::vector<char32_t>& mask, char32_t (*upper)(char32_t)) {
  std::vector<MaskStep> steps;
  steps.reserve(mask.size());
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char32_t next = i + 1 < mask.size() ? mask[i + 1] : 0;
    const bool last = i + 1 == mask.size();
    switch (mask[i]) {
      case '?':
        steps.push_back({MaskStep::DosQuestion, 0});
        break;
      case '*':
        steps.push_back({!last && next == '.' ? MaskStep::DosStar : MaskStep::Star, 0});
        break;
      case '.':
        if (last || next == '?' || next == '*') {
          steps.push_back({MaskStep::DosDot, 0});
          break;
        }
        [[fallthrough]];
      default:
        steps.push_back({MaskStep::Literal, upper(mask[i])});
    }
  }
  return steps;
}

// A set of mask steps, one bit each.
struct StepSet {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::uint64_t> Words;

  void Reset(std::size_t count) { Words.assign(count / 64 + 1, 0); }
  void Clear() { std::fill(Words.begin(), Words.end(), 0); }
  void Add(std::size_t i) { Words[i >> 6] |= std::uint64_t{1} << (i & 63); }
  bool Has(std::size_t i) const { return ((Words[i >> 6] >> (i & 63)) & 1) != 0; }
  // The first member at or after `from`, or kNone; members added meanwhile are seen.
  std::size_t Next(std::size_t from) const {
    std::size_t word = from >> 6;
    if (word >= Words.size()) return kNone;
    std::uint64_t bits = Words[word] & (~std::uint64_t{0} << (from & 63));
    while (bits == 0) {
      if (++word == Words.size()) return kNone;
      bits = Words[word];
    }
    return word * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
  }
};

// Adds the steps that can be reached from those in `states` without taking a character,
// when the next character of the name is `next` (or the name has ended). Steps only ever
// lead to the one after them, so one pass in order finds them all.
void Close(const std::vector<MaskStep>& steps, StepSet& states, bool atEnd, char32_t next) {
  for (std::size_t i = states.Next(0); i < steps.size(); i = states.Next(i + 1)) {
    switch (steps[i].Kind) {
      case MaskStep::Star:
      case MaskStep::DosStar:
        states.Add(i + 1);  // matches nothing
        break;
      case MaskStep::DosQuestion:
        if (atEnd || next == '.') states.Add(i + 1);  // gives way at a dot or the end
        break;
      case MaskStep::DosDot:
        if (atEnd) states.Add(i + 1);  // matches nothing past the end
        break;
      case MaskStep::Literal:
        break;
    }
  }
}

// Runs the mask over the upper-cased name as a set of live steps, one character at a time
// (time: live steps x characters, whatever the mask; no backtracking).
bool Run(const std::vector<MaskStep>& steps, const std::vector<char32_t>& name) {
  static thread_local StepSet current, following;
  current.Reset(steps.size() + 1);
  following.Reset(steps.size() + 1);
  current.Add(0);
  std::size_t lastDot = name.size();
  for (std::size_t i = name.size(); i-- > 0;) {
    if (name[i] == '.') {
      lastDot = i;
      break;
    }
  }
  Close(steps, current, name.empty(), name.empty() ? 0 : name[0]);
  for (std::size_t pos = 0; pos < name.size(); ++pos) {
    const char32_t c = name[pos];
    const bool dotIsNotTheLast = c == '.' && pos < lastDot;
    following.Clear();
    bool alive = false;
    for (std::size_t i = current.Next(0); i < steps.size(); i = current.Next(i + 1)) {
      std::size_t to = StepSet::kNone;
      switch (steps[i].Kind) {
        case MaskStep::Literal:
          if (c == steps[i].Value) to = i + 1;
          break;
        case MaskStep::Star:
          to = i;
          break;
        case MaskStep::DosStar:  // anything but the name's last dot
          if (c != '.' || dotIsNotTheLast) to = i;
          break;
        case MaskStep::DosQuestion:
          if (c != '.') to = i + 1;
          break;
        case MaskStep::DosDot:
          if (c == '.') to = i + 1;
          break;
      }
      if (to != StepSet::kNone) {
        following.Add(to);
        alive = true;
      }
    }
    if (!alive) return false;
    const bool atEnd = pos + 1 == name.size();
    Close(steps, following, atEnd, atEnd ? 0 : name[pos + 1]);
    std::swap(current.Words, following.Words);
  }
  return current.Has(steps.size());
}

// Yields a name's sort units one at a time: upper-cased UTF-16 code units for a UTF-8
// name, bytes with ASCII letters upper-cased for any other.
struct SortUnits {
  std::string_view Text;
  bool Utf8;
  std::size_t Pos = 0;
  char32_t Pending = 0;  // the second half of a surrogate pair

  // The next unit, or -1 at the end.
  long Next() {
    if (Pending != 0) {
      const char32_t unit = Pending;
      Pending = 0;
      return static_cast<long>(unit);
    }
    if (Pos == Text.size()) return -1;
    if (!Utf8) return static_cast<long>(AsciiUpper(static_cast<unsigned char>(Text[Pos++])));
    char32_t c = 0;
    DecodeUtf8(Text, Pos, c);
    c = UnicodeUpper(c);
    if (c <= 0xFFFF) return static_cast<long>(c);
    c -= 0x10000;
    Pending = 0xDC00 + (c & 0x3FF);
    return static_cast<long>(0xD800 + (c >> 10));
  }
};

int DotRank(std::string_view name) {
  if (name == ".") return 0;
  if (name == "..") return 1;
  return 2;
}

}  // namespace

PreparedMask PrepareMask(std::string_view mask) {
  PreparedMask prepared;
  std::vector<char32_t> characters;
  for (const char byte : mask) characters.push_back(static_cast<unsigned char>(byte));
  prepared.Bytes = Convert(characters, AsciiUpper);
  prepared.ByCharacters = IsValidUtf8(mask);
  if (prepared.ByCharacters) {
    characters.clear();
    char32_t c;
    for (std::size_t pos = 0; pos < mask.size();) {
      DecodeUtf8(mask, pos, c);
      characters.push_back(c);
    }
    prepared.Characters = Convert(characters, UnicodeUpper);
  }
  return prepared;
}

bool MatchesMask(const PreparedMask& mask, std::string_view name) {
  static thread_local std::vector<char32_t> upper;
  upper.clear();
  bool ascii = true;
  for (const char byte : name) {
    const auto value = static_cast<unsigned char>(byte);
    ascii = ascii && value < 0x80;
    upper.push_back(AsciiUpper(value));
  }
  // A plain ASCII name reads the same by bytes as by characters.
  if (ascii || !mask.ByCharacters || !IsValidUtf8(name)) return Run(mask.Bytes, upper);
  upper.clear();
  char32_t c;
  for (std::size_t pos = 0; pos < name.size();) {
    DecodeUtf8(name, pos, c);
    upper.push_back(UnicodeUpper(c));
  }
  return Run(mask.Characters, upper);
}

bool MatchesMask(std::string_view mask, std::string_view name) { return MatchesMask(PrepareMask(mask), name); }

bool ListsBefore(std::string_view a, std::string_view b) {
  const int rankA = DotRank(a), rankB = DotRank(b);
  if (rankA != rankB) return rankA < rankB;
  // While both names are ASCII, bytes are their sort units: the first difference decides.
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  std::size_t i = 0;
  for (; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80) break;
    if (AsciiUpper(x) != AsciiUpper(y)) return AsciiUpper(x) < AsciiUpper(y);
  }
  if (i == common) {
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // std::string_view compares as unsigned bytes (char_traits<char>)
  }
  SortUnits unitsA{a, IsValidUtf8(a)}, unitsB{b, IsValidUtf8(b)};
  for (;;) {
    const long x = unitsA.Next(), y = unitsB.Next();
    if (x != y) return x < y;
    if (x < 0) break;
  }
  return a < b;
}
