// Wildcard matching against a plain reference matcher, case-insensitivity, and the
// listing order being a strict weak order.
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "wildcard.h"

namespace {

// Marks for the converted wildcards, outside anything a decoded name can hold.
constexpr char32_t kStar = 0x110000, kDosStar = 0x110001, kDosQuestion = 0x110002, kDosDot = 0x110003;

// Decodes with the C library (a UTF-8 locale) and upper-cases with towupper, as NTFS does
// for UTF-16 code units only; false when the text is not UTF-8. Bytes otherwise.
bool Decode(std::string_view text, std::u32string& out) {
  out.clear();
  std::mbstate_t state{};
  for (std::size_t pos = 0; pos < text.size();) {
    wchar_t c = 0;
    const std::size_t used = std::mbrtowc(&c, text.data() + pos, text.size() - pos, &state);
    if (used == 0 || used > text.size() - pos) return false;  // a NUL, or not UTF-8
    const auto code = static_cast<char32_t>(c);
    // The C library also takes what RFC 3629 rules out: values past U+10FFFF, surrogates.
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    const auto upper = code <= 0xFFFF ? static_cast<char32_t>(std::towupper(static_cast<wint_t>(c))) : code;
    out.push_back(upper <= 0xFFFF ? upper : code);
    pos += used;
  }
  return true;
}

std::u32string Bytes(std::string_view text) {
  std::u32string out;
  for (const char c : text) out.push_back((c >= 'a' && c <= 'z') ? static_cast<char32_t>(c - 32) : static_cast<unsigned char>(c));
  return out;
}

std::u32string Converted(std::u32string mask) {
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char32_t next = i + 1 < mask.size() ? mask[i + 1] : 0;
    if (mask[i] == '?') mask[i] = kDosQuestion;
    else if (mask[i] == '*') mask[i] = next == '.' ? kDosStar : kStar;
    else if (mask[i] == '.' && (i + 1 == mask.size() || next == '?' || next == '*')) mask[i] = kDosDot;
  }
  return mask;
}

// The textbook dynamic programme over the FsRtlIsNameInExpression rules: can mask[i..]
// match name[j..]?
bool Reference(const std::u32string& mask, const std::u32string& name) {
  const std::size_t n = name.size();
  std::vector<std::vector<bool>> can(mask.size() + 1, std::vector<bool>(n + 1, false));
  can[mask.size()][n] = true;
  for (std::size_t i = mask.size(); i-- > 0;) {
    for (std::size_t j = n + 1; j-- > 0;) {
      const bool end = j == n;
      switch (mask[i]) {
        case kStar:
          can[i][j] = can[i + 1][j] || (!end && can[i][j + 1]);
          break;
        case kDosStar:
          can[i][j] = can[i + 1][j] ||
                      (!end && (name[j] != '.' || name.find('.', j + 1) != std::u32string::npos) && can[i][j + 1]);
          break;
        case kDosQuestion:
          can[i][j] = (end || name[j] == '.') ? can[i + 1][j] : can[i + 1][j + 1];
          break;
        case kDosDot:
          can[i][j] = end ? can[i + 1][j] : (name[j] == '.' && can[i + 1][j + 1]);
          break;
        default:
          can[i][j] = !end && mask[i] == name[j] && can[i + 1][j + 1];
      }
    }
  }
  return can[0][0];
}

bool ReferenceMask(std::string_view mask, std::string_view name) {
  std::u32string decodedMask, decodedName;
  if (Decode(mask, decodedMask) && Decode(name, decodedName)) return Reference(Converted(decodedMask), decodedName);
  return Reference(Converted(Bytes(mask)), Bytes(name));
}

std::string Swapped(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t split = text.find('\0');
  if (split == std::string::npos) return 0;
  const std::string mask = text.substr(0, split);
  const std::string name = text.substr(split + 1);
  if (mask.size() > 256 || name.size() > 256) return 0;  // longer than any file name
  if (name.find('\0') != std::string::npos) return 0;     // no name holds a NUL

  const bool matches = MatchesMask(mask, name);
  if (matches != ReferenceMask(mask, name)) std::abort();
  if (MatchesMask(Swapped(mask), name) != matches) std::abort();
  if (!MatchesMask("*", name) || !MatchesMask("*.*", name)) std::abort();

  if (ListsBefore(mask, mask)) std::abort();
  if (ListsBefore(mask, name) && ListsBefore(name, mask)) std::abort();
  if (mask != name && !ListsBefore(mask, name) && !ListsBefore(name, mask)) std::abort();  // a total order
  return 0;
}
