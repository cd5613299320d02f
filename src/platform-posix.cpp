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

// A POSIX shell expands an unquoted mask before we run, so several names may arrive.
Invocation ProgramInvocation(int argc, char** argv) { return NamesThenBitrate(NonEmptyArguments(argc, argv)); }

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
  const PreparedMask prepared = PrepareMask(mask);
  while (const dirent* item = readdir(directory)) {
    const std::string_view name(item->d_name);
    if (!MatchesMask(prepared, name)) continue;
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

void TakeConsole() {
  // Terminal conventions: NO_COLOR (when not empty) and TERM=dumb both ask for plain text.
  const char* noColour = std::getenv("NO_COLOR");
  const char* terminal = std::getenv("TERM");
  ColourEnabled = isatty(STDOUT_FILENO) == 1 && (noColour == nullptr || noColour[0] == '\0') &&
                  (terminal == nullptr || std::strcmp(terminal, "dumb") != 0);
}

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

// The folders of PATH that a program may be taken from, in order, read once. Only absolute
// entries count: an empty or relative one would mean the current directory, where a
// downloaded folder of WAV files could plant a program. No PATH at all means the system's
// default path, as for execvp.
const std::vector<std::string>& PathFolders() {
  static const std::vector<std::string> folders = [] {
    std::vector<std::string> list;
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
      if (!entry.empty() && entry[0] == '/') list.push_back(entry + "/");
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return list;
  }();
  return folders;
}

// Where to look for the encoder: the folder of our own executable, then PATH.
const std::vector<std::string>& EncoderFolders() {
  static const std::vector<std::string> folders = [] {
    std::vector<std::string> list;
    const std::string self = ExecutablePath;
    const std::size_t slash = self.rfind('/');
    if (slash != std::string::npos) list.push_back(self.substr(0, slash + 1));
    list.insert(list.end(), PathFolders().begin(), PathFolders().end());
    return list;
  }();
  return folders;
}

// Finds a program we may run, as execvp would: the first candidate that is an executable
// regular file. Otherwise 0 and the error execvp would give (EACCES when some candidate
// exists but cannot be run, else ENOENT). Searching ourselves, rather than with
// posix_spawnp, means a missing encoder costs a few stat calls instead of a process.
int FindProgram(const std::string& name, const std::vector<std::string>& folders, std::string& found) {
  int error = ENOENT;
  for (const std::string& folder : folders) {
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

// Starts `program` with default signal handling and nothing blocked, whatever we ignore,
// and waits for it. Returns 0, or the error that kept it from starting.
int SpawnAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t child = 0;
  const int error = posix_spawn(&child, program.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return error;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return 0;
}

bool StartsWithMZ(const std::string& path) {
  char head[2] = {};
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool windows = read(fd, head, sizeof head) == 2 && head[0] == 'M' && head[1] == 'Z';
  close(fd);
  return windows;
}

// The encoder that the system would not start and that turned out to be a Windows program:
// every later file goes to Wine straight away, and the file is read only once per run.
std::string WindowsEncoder;
std::string NotWindowsEncoder;

}  // namespace

bool RunAndWait(const EncoderCommand& command, std::string& reason) {
  std::string program;
  int error = FindProgram(command.Program, EncoderFolders(), program);
  if (error != 0) {
    reason = std::strerror(error);
    return false;
  }
  std::vector<std::string> arguments = {command.Program};
  arguments.insert(arguments.end(), command.Arguments.begin(), command.Arguments.end());
  if (program != WindowsEncoder) {
    error = SpawnAndWait(program, arguments);
    if (error == 0) return true;
    // With no binfmt handler for it, a Windows program is run through Wine, in the
    // current directory like any encoder, so the bare names it is given resolve.
    if (error != ENOEXEC || program == NotWindowsEncoder || !StartsWithMZ(program)) {
      if (error == ENOEXEC) NotWindowsEncoder = program;
      reason = std::strerror(error);
      return false;
    }
    WindowsEncoder = program;
  }
  std::string wine;
  if (FindProgram("wine", PathFolders(), wine) != 0) {
    reason = "it is a Windows program and wine was not found";
    return false;
  }
  arguments[0] = program;  // a full path: every folder searched is absolute
  arguments.insert(arguments.begin(), "wine");
  error = SpawnAndWait(wine, arguments);
  if (error != 0) {
    reason = std::strerror(error);
    return false;
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
