// Runs a program as a child process and collects what it wrote, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

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
};

struct RunResult {
  std::string Output;  // standard output (empty unless read from a pipe or terminal)
  std::string Error;   // standard error
  int ExitStatus = -1; // -1 when the program did not exit normally
};

// Runs `program` with `arguments` (argv[1] onwards) as given, byte for byte.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments, const RunOptions& options);

// Small file-system helpers for scratch directories.
std::string MakeScratchDirectory();
void RemoveTree(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void CopyExecutable(const std::string& from, const std::string& to);
