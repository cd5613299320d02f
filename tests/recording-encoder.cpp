// A test encoder: appends what it was given to the file named by QUINTREL_TEST_LOG,
// prints one line naming its input, and exits with QUINTREL_TEST_EXIT (default 0).
// Other settings, all optional: QUINTREL_TEST_QUIET (print nothing),
// QUINTREL_TEST_CLOSE_STDOUT (close standard output first), QUINTREL_TEST_DELAY_MS (how
// long to stay, default 20), QUINTREL_TEST_KILL (end by SIGKILL instead of exiting),
// QUINTREL_TEST_SHOW_SIGPIPE (print how SIGPIPE was set up when we started).
//
// Log records: "begin <argc>\n", then each argument as "<length>:<bytes>\n", then
// "end\n" once it is done, so overlapping runs would show up as nested records.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool Set(const char* name) { return std::getenv(name) != nullptr; }

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGPIPE
  const auto inherited = std::signal(SIGPIPE, SIG_IGN);
  if (Set("QUINTREL_TEST_SHOW_SIGPIPE")) std::printf("SIGPIPE %s\n", inherited == SIG_DFL ? "default" : "not default");  // tests close our output on purpose; record the run all the same
#endif
  if (Set("QUINTREL_TEST_CLOSE_STDOUT")) std::fclose(stdout);
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
  if (!Set("QUINTREL_TEST_QUIET") && !Set("QUINTREL_TEST_CLOSE_STDOUT")) {
    std::printf("encoder saw %s\n", argc > 1 ? argv[1] : "nothing");
    std::fflush(stdout);
  }

  // Stay a little while, so that a caller that does not wait would start the next one early.
  const char* delay = std::getenv("QUINTREL_TEST_DELAY_MS");
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay != nullptr ? std::atoi(delay) : 20);
  while (std::chrono::steady_clock::now() < until) {
  }

  if (log != nullptr) {
    std::fputs("end\n", log);
    std::fclose(log);
  }
#ifdef SIGKILL
  if (Set("QUINTREL_TEST_KILL")) std::raise(SIGKILL);
#endif
  const char* exitStatus = std::getenv("QUINTREL_TEST_EXIT");
  return exitStatus != nullptr ? std::atoi(exitStatus) : 0;
}
