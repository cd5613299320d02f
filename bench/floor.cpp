// The least a batch driver can do: read the current directory, pick the names ending in
// ".wav" (any case), sort them, and run the encoder on each with posix_spawn and waitpid,
// one at a time. Quintrel's batch time is measured against this.
//
//   floor <encoder> <bitrate>
#include <dirent.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::vector<std::string> names;
  DIR* directory = opendir(".");
  if (directory == nullptr) return 1;
  while (const dirent* entry = readdir(directory)) {
    const std::size_t length = std::strlen(entry->d_name);
    if (length >= 4 && strcasecmp(entry->d_name + length - 4, ".wav") == 0) names.emplace_back(entry->d_name);
  }
  closedir(directory);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string output = name.substr(0, name.rfind('.')) + ".aifr";
    char* args[] = {const_cast<char*>("enc.exe"), const_cast<char*>(name.c_str()), const_cast<char*>(output.c_str()),
                    argv[2], nullptr};
    pid_t child;
    if (posix_spawn(&child, argv[1], nullptr, nullptr, args, environ) != 0) continue;
    int status;
    waitpid(child, &status, 0);
  }
  return 0;
}
