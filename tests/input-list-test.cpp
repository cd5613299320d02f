// The collection rule, against a fake directory search that stands in for the platform's.
#include "input-list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform.h"

namespace {

struct FakeEntry {
  std::string Name;
  std::uint32_t Attributes;
};

std::vector<FakeEntry> FakeDirectory;
std::string LastPattern;
int SearchesOpen = 0;
int SearchesClosed = 0;

void Fill(std::size_t index, SearchEntry& entry) {
  entry.Attributes = FakeDirectory[index].Attributes;
  // Copy like the platform does, without assuming room for the NUL.
  std::memset(entry.FileName, 0, sizeof entry.FileName);
  std::memcpy(entry.FileName, FakeDirectory[index].Name.data(),
              std::min(FakeDirectory[index].Name.size(), sizeof entry.FileName));
}

class InputList : public ::testing::Test {
 protected:
  void SetUp() override {
    FileList.clear();
    FileCount = 0;
    FakeDirectory.clear();
    SearchesOpen = SearchesClosed = 0;
  }

  static std::vector<std::string> Collect(std::vector<FakeEntry> directory) {
    FakeDirectory = std::move(directory);
    CollectInputList("music/*.wav");
    EXPECT_EQ(LastPattern, "music/*.wav");
    EXPECT_EQ(FileCount, static_cast<std::int32_t>(FileList.size()));
    return FileList;
  }
};

TEST_F(InputList, TakesExactlyTheEntriesWithTheArchiveBitInSearchOrder) {
  const auto list = Collect({{".", kAttributeDirectory},
                             {"..", kAttributeDirectory},
                             {"b.wav", kAttributeArchive},
                             {"no-archive.wav", 0},
                             {"archived-dir.wav", kAttributeDirectory | kAttributeArchive},
                             {"readonly.wav", kAttributeArchive | 0x01},
                             {"a.wav", kAttributeArchive},
                             {"b.wav", kAttributeArchive}});
  EXPECT_EQ(list, (std::vector<std::string>{"b.wav", "archived-dir.wav", "readonly.wav", "a.wav", "b.wav"}));
  EXPECT_EQ(SearchesClosed, 1);
  EXPECT_EQ(SearchesOpen, 0);
}

TEST_F(InputList, NoMatchLeavesTheListEmptyAndClosesNothing) {
  EXPECT_TRUE(Collect({}).empty());
  EXPECT_EQ(FileCount, 0);
  EXPECT_EQ(SearchesClosed, 0);
}

TEST_F(InputList, MatchesWithoutTheArchiveBitGiveAnEmptyList) {
  EXPECT_TRUE(Collect({{"music", kAttributeDirectory}, {"x.wav", 0}}).empty());
  EXPECT_EQ(SearchesClosed, 1);
}

TEST_F(InputList, StoresLongNamesWhole) {
  const std::string longest(259, 'n');
  const std::string unterminated(260, 'u');  // a record with no NUL: all 260 bytes count
  EXPECT_EQ(Collect({{longest, kAttributeArchive}, {unterminated, kAttributeArchive}}),
            (std::vector<std::string>{longest, unterminated}));
}

}  // namespace

// The fake platform search.
struct DirectorySearch {
  std::size_t Next;
};

DirectorySearch* SearchFirst(const std::string& pattern, SearchEntry& entry) {
  LastPattern = pattern;
  if (FakeDirectory.empty()) return nullptr;
  Fill(0, entry);
  ++SearchesOpen;
  return new DirectorySearch{1};
}

bool SearchNext(DirectorySearch* search, SearchEntry& entry) {
  if (search->Next == FakeDirectory.size()) return false;
  Fill(search->Next++, entry);
  return true;
}

void SearchClose(DirectorySearch* search) {
  --SearchesOpen;
  ++SearchesClosed;
  delete search;
}
