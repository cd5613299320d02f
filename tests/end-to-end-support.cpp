#include "end-to-end-support.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "scratch.h"

std::vector<Call> ReadEncoderCalls(const std::string& logPath) {
  std::vector<Call> calls;
  std::istringstream log(ReadFile(logPath));
  std::string word;
  while (log >> word) {
    if (word != "begin") {
      ADD_FAILURE() << "encoder runs overlapped or a record is broken near: " << word;
      break;
    }
    std::size_t count = 0;
    log >> count;
    log.get();
    Call call;
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t length = 0;
      log >> length;
      log.get();  // ':'
      std::string argument(length, '\0');
      log.read(argument.data(), static_cast<std::streamsize>(length));
      log.get();  // '\n'
      call.push_back(argument);
    }
    log >> word;
    EXPECT_EQ(word, "end") << "an encoder run started before the previous one ended";
    calls.push_back(call);
  }
  return calls;
}

void ExpectNormalRunOrOutOfMemoryReport(const std::string& normalOutput, const std::string& output, int exitStatus,
                                        const std::string& module, long failingAllocation) {
  if (exitStatus == 0) {
    EXPECT_EQ(output, normalOutput) << "allocation " << failingAllocation;
    return;
  }
  EXPECT_EQ(exitStatus, 1) << "allocation " << failingAllocation;
  const std::regex report("Exception EOutOfMemory in module " + module +
                          " at [0-9A-F]{8}\\.\r\nOut of memory\\.\r\n\r\n$");
  std::smatch found;
  ASSERT_TRUE(std::regex_search(output, found, report)) << "allocation " << failingAllocation << ": " << output;
  const std::string before = output.substr(0, static_cast<std::size_t>(found.position(0)));
  EXPECT_EQ(before, normalOutput.substr(0, before.size())) << "allocation " << failingAllocation;
  // Lines go out whole: what was held before the failure ends at a line end.
  EXPECT_TRUE(before.empty() || before.compare(before.size() - 2, 2, "\r\n") == 0) << "allocation " << failingAllocation;
}
