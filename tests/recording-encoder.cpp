// A test encoder: appends what it was given to the file named by QUINTREL_TEST_LOG,
// prints one line naming its input (unless QUINTREL_TEST_QUIET is set), and exits with
// QUINTREL_TEST_EXIT (default 0).
//
// Log records: "begin <argc>\n", then each argument as "<length>:<bytes>\n", then
// "end\n" once it is done, so overlapping runs would show up as nested records.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);  // tests close our output on purpose; record the run all the same
#endif
  const char* logPath = std::getenv("QUINTREL_TEST_LOG");
  std::FILE* log = logPath != nullptr ? std::fopen(logPath, "ab") : nullptr;
  if (log != nullptr) {
    std::fprintf(log, "begin %d\n", argc);
    for (int i = 0; i < argc; ++i) {
      std::fprintf(log, "%zu:", std::strlen(argv[i]));
      std::fwrite(argv[i], 1, std::strlen(argv[i]), log);
      std::fputc('\n', log);
    }
    std::fflush(log);
  }
  if (std::getenv("QUINTREL_TEST_QUIET") == nullptr) {
    std::printf("encoder saw %s\n", argc > 1 ? argv[1] : "nothing");
    std::fflush(stdout);
  }

  // Stay a little while, so that a caller that does not wait would start the next one early.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
  while (std::chrono::steady_clock::now() < until) {
  }

  if (log != nullptr) {
    std::fputs("end\n", log);
    std::fclose(log);
  }
  const char* exitStatus = std::getenv("QUINTREL_TEST_EXIT");
  return exitStatus != nullptr ? std::atoi(exitStatus) : 0;
}
