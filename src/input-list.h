// The list of input files that one run encodes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bare names of the matching entries that carry the archive attribute, in the order the
// directory search returned them. Filled once; released only when the process ends.
extern std::vector<std::string> FileList;
extern std::int32_t FileCount;

// Searches for `mask` and appends every match that carries the archive attribute.
void CollectInputList(const std::string& mask);
