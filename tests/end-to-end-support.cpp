#include "end-to-end-support.h"

#include <gtest/gtest.h>

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
