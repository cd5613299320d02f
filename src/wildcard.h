// Name matching and listing order as a Windows directory search on an NTFS volume gives
// them, for the POSIX layer, which has no such search to call.
#pragma once

#include <string_view>
#include <vector>

// One step of a mask after the conversion FindFirstFile makes before matching: '?' becomes
// DosQuestion; '*' before a dot becomes DosStar; a dot before '?' or '*', or ending the
// mask, becomes DosDot. These then match by the rules of FsRtlIsNameInExpression.
struct MaskStep {
  enum Kind : unsigned char { Literal, Star, DosStar, DosQuestion, DosDot } Kind;
  char32_t Value;  // for Literal: the character (or byte), upper-cased
};

// A mask prepared once for matching many names: by characters, for names in valid UTF-8,
// and by bytes, for names that are not (or for every name when the mask is not UTF-8).
struct PreparedMask {
  std::vector<MaskStep> Characters;
  std::vector<MaskStep> Bytes;
  bool ByCharacters;
};

PreparedMask PrepareMask(std::string_view mask);

// True when `name` matches the mask. Letters match either case (by their Unicode upper
// case for UTF-8 names, ASCII only for others). No 8.3 short names exist here, so none
// is ever matched.
bool MatchesMask(const PreparedMask& mask, std::string_view name);
bool MatchesMask(std::string_view mask, std::string_view name);

// The order in which NTFS lists a directory: "." and ".." first, then by name as upper-cased
// UTF-16 code units (a name that is not valid UTF-8 by its bytes, ASCII letters upper-cased).
// Names equal by that measure keep a fixed order by their raw bytes.
bool ListsBefore(std::string_view a, std::string_view b);
