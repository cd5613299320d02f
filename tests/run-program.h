// Runs a program as a child process and collects what it wrote, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

#include "scratch.h"

enum class OutputTo {
  Pipe,           // a pipe read to its end
  ClosedPipe,     // a pipe whose reader is gone before the program starts
  Terminal,       // a pseudo-terminal in raw mode, read to its end
  Closed,         // no standard output at all
  File,           // the file named by RunOptions::OutputFile
};

struct RunOptions {
  std::string WorkingDirectory;
  std::vector<std::string> Environment;  // "NAME=value" entries that replace or add to ours
  OutputTo StandardOutput = OutputTo::Pipe;
  std::string OutputFile;
  unsigned long AddressSpaceLimit = 0;  // bytes of address space the program may use; 0: no limit
  bool WithoutPrivileges = false;       // when run as root, run the program as nobody
};

struct RunResult {
  std::string Output;  // standard output (empty unless read from a pipe or terminal)
  std::string Error;   // standard error
  int ExitStatus = -1; // -1 when the program did not exit normally
};

// POSIX: runs `program` with `arguments` (argv[1] onwards) as given, byte for byte.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments, const RunOptions& options);

// Windows: runs a whole command line, as CreateProcessA takes it, with standard output to
// a pipe (the only kind offered there) and standard error to a file.
RunResult RunCommandLine(const std::string& commandLine, const RunOptions& options);
