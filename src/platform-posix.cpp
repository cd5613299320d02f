// The platform seam on Linux and other POSIX systems: a small stand-in for the Windows
// services the program was written against.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "arguments.h"
#include "platform.h"
#include "wildcard.h"

extern char** environ;
// Provided by the linker: where the executable is mapped, and where its code ends.
extern "C" char __executable_start;
extern "C" char etext;

namespace {

bool ColourEnabled = false;

// The running executable's own path, read once at start so that the last-chance report
// can name the module without allocating; empty when the system will not say.
char ExecutablePath[4096];

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;  // a closed or broken output never stops the pass
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

}  // namespace

void PreparePlatform() {
  // A closed standard handle would be handed to the next file we open, and then to the
  // encoder as its standard output; give it /dev/null instead.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      const int opened = open("/dev/null", O_RDWR);
      if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
      }
    }
  }
  // Writes to a pipe whose reader has gone fail with EPIPE instead of ending the run.
  std::signal(SIGPIPE, SIG_IGN);

  const ssize_t length = readlink("/proc/self/exe", ExecutablePath, sizeof ExecutablePath - 1);
  ExecutablePath[length > 0 ? length : 0] = '\0';
}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return NonEmptyArguments(argc, argv); }

const LeadByteTable& SystemLeadBytes() {
  // Narrow names here are UTF-8 or single-byte: no byte is ever the second byte of a pair.
  static const LeadByteTable none{};
  return none;
}

// --- Directory search ---

struct DirectorySearch {
  std::string Directory;             // the pattern's directory part, ending in '/', or empty
  std::string Names;                 // the matching names, each followed by a NUL
  std::vector<std::size_t> Listing;  // offsets into Names, in listing order
  std::size_t Next = 0;
};

namespace {

std::uint32_t AttributesOf(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return 0;
  if (S_ISREG(status.st_mode)) return kAttributeArchive;
  if (S_ISDIR(status.st_mode)) return kAttributeDirectory;
  return 0;
}

bool FillEntry(DirectorySearch* search, SearchEntry& entry) {
  if (search->Next == search->Listing.size()) return false;
  const char* name = search->Names.c_str() + search->Listing[search->Next++];
  const std::size_t length = std::min(std::strlen(name), sizeof entry.FileName - 1);
  std::memcpy(entry.FileName, name, length);
  entry.FileName[length] = '\0';
  entry.Attributes = AttributesOf(search->Directory + name);
  return true;
}

}  // namespace

DirectorySearch* SearchFirst(const std::string& pattern, SearchEntry& entry) {
  const std::size_t slash = pattern.rfind('/');
  const std::size_t maskStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string_view mask = std::string_view(pattern).substr(maskStart);
  if (mask.empty()) return nullptr;

  auto* search = new DirectorySearch;
  search->Directory = pattern.substr(0, maskStart);
  DIR* directory = opendir(search->Directory.empty() ? "." : search->Directory.c_str());
  if (directory == nullptr) {
    delete search;
    return nullptr;
  }
  while (const dirent* item = readdir(directory)) {
    const std::string_view name(item->d_name);
    if (!MatchesMask(mask, name)) continue;
    search->Listing.push_back(search->Names.size());
    search->Names.append(name);
    search->Names.push_back('\0');
  }
  closedir(directory);

  const char* names = search->Names.c_str();
  std::sort(search->Listing.begin(), search->Listing.end(),
            [names](std::size_t a, std::size_t b) { return ListsBefore(names + a, names + b); });
  if (!FillEntry(search, entry)) {
    delete search;
    return nullptr;
  }
  return search;
}

bool SearchNext(DirectorySearch* search, SearchEntry& entry) { return FillEntry(search, entry); }

void SearchClose(DirectorySearch* search) { delete search; }

// --- Console ---

void TakeConsole() { ColourEnabled = isatty(STDOUT_FILENO) == 1; }

void SetConsoleColour(std::uint16_t attribute) {
  if (!ColourEnabled) return;
  if (attribute == 7) {
    WriteAll(STDOUT_FILENO, "\x1b[0m", 4);
    return;
  }
  // Windows orders the colour bits blue, green, red; ANSI orders them red, green, blue.
  const int rgb = ((attribute & 4) ? 1 : 0) | ((attribute & 2) ? 2 : 0) | ((attribute & 1) ? 4 : 0);
  const std::string code = "\x1b[" + std::to_string(((attribute & 8) ? 90 : 30) + rgb) + "m";
  WriteAll(STDOUT_FILENO, code.data(), code.size());
}

void WriteStandardOutput(const char* data, std::size_t size) { WriteAll(STDOUT_FILENO, data, size); }

void WriteStandardError(const char* data, std::size_t size) { WriteAll(STDERR_FILENO, data, size); }

// --- The encoder ---

namespace {

// Where to look for the encoder: the folder of our own executable, then each PATH entry
// as execvp reads them (an empty entry is the current directory; no PATH at all means the
// system's default path). Read once.
const std::vector<std::string>& EncoderFolders() {
  static const std::vector<std::string> folders = [] {
    std::vector<std::string> list;
    const std::string self = ExecutablePath;
    const std::size_t slash = self.rfind('/');
    if (slash != std::string::npos) list.push_back(self.substr(0, slash + 1));
    std::string path;
    if (const char* variable = std::getenv("PATH")) {
      path = variable;
    } else {
      path.resize(confstr(_CS_PATH, nullptr, 0));
      if (!path.empty()) path.resize(confstr(_CS_PATH, path.data(), path.size()) - 1);
    }
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = path.find(':', start);
      const std::string entry = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
      list.push_back(entry.empty() ? "./" : entry + "/");
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return list;
  }();
  return folders;
}

// Finds a program we may run, as execvp would: the first candidate that is an executable
// regular file. Otherwise 0 and the error execvp would give (EACCES when some candidate
// exists but cannot be run, else ENOENT). Searching ourselves, rather than with
// posix_spawnp, means a missing encoder costs a few stat calls instead of a process.
int FindProgram(const std::string& name, std::string& found) {
  int error = ENOENT;
  for (const std::string& folder : EncoderFolders()) {
    const std::string candidate = folder + name;
    struct stat status;
    if (stat(candidate.c_str(), &status) != 0) continue;
    if (S_ISREG(status.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      found = candidate;
      return 0;
    }
    error = EACCES;
  }
  return error;
}

}  // namespace

bool RunAndWait(const EncoderCommand& command, std::string& reason) {
  std::string program;
  int error = FindProgram(command.Program, program);
  if (error != 0) {
    reason = std::strerror(error);
    return false;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(command.Program.c_str()));
  for (const std::string& argument : command.Arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The child starts with default signal handling and nothing blocked, whatever we ignore.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t child = 0;
  error = posix_spawn(&child, program.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    reason = std::strerror(error);
    return false;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

// --- Escaped failures ---

const char* ModuleFileName() {
  const char* slash = std::strrchr(ExecutablePath, '/');
  return slash != nullptr ? slash + 1 : "Quintrel";
}

std::uintptr_t ModuleBase() { return reinterpret_cast<std::uintptr_t>(&__executable_start); }

std::uintptr_t ModuleCodeEnd() { return reinterpret_cast<std::uintptr_t>(&etext); }
