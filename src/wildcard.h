// Name matching and listing order as a Windows directory search on an NTFS volume gives them.
#pragma once

#include <string_view>

// True when `name` matches `mask`: '*' stands for any run of bytes, '?' for exactly one,
// ASCII letters match either case, and a mask ending in ".*" also matches a name that
// has no dot at all (so "*.*" matches every name).
bool MatchesMask(std::string_view mask, std::string_view name);

// The order in which NTFS lists a directory: "." and ".." first, then by name with
// ASCII letters folded to upper case, compared byte by byte. Names equal after folding
// keep a fixed order by their raw bytes.
bool ListsBefore(std::string_view a, std::string_view b);
