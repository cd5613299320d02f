#include "input-list.h"

#include <cstring>

#include "platform.h"

std::vector<std::string> FileList;
std::int32_t FileCount = 0;

void CollectInputList(const std::string& mask) {
  SearchEntry entry;
  DirectorySearch* search = SearchFirst(mask, entry);
  if (search == nullptr) return;
  do {
    if ((entry.Attributes & kAttributeArchive) != 0) {
      ++FileCount;
      // The name ends at its NUL, or after all 260 bytes should there be none.
      FileList.emplace_back(entry.FileName, strnlen(entry.FileName, sizeof entry.FileName));
    }
  } while (SearchNext(search, entry));
  SearchClose(search);
}
