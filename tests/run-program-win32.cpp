#include <windows.h>

#include <cstring>
#include <stdexcept>

#include "run-program.h"

namespace {

// Sets the given "NAME=value" entries for as long as it lives, so that a child started
// meanwhile inherits them.
class EnvironmentChange {
 public:
  explicit EnvironmentChange(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
      const std::string name = entry.substr(0, entry.find('='));
      char old[32768];
      const DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
      saved_.push_back({name, length != 0 ? std::string(old, length) : std::string(), length != 0});
      SetEnvironmentVariableA(name.c_str(), entry.substr(name.size() + 1).c_str());
    }
  }
  ~EnvironmentChange() {
    for (const Saved& s : saved_) SetEnvironmentVariableA(s.name.c_str(), s.existed ? s.value.c_str() : nullptr);
  }

 private:
  struct Saved {
    std::string name, value;
    bool existed;
  };
  std::vector<Saved> saved_;
};

}  // namespace

RunResult RunCommandLine(const std::string& commandLine, const RunOptions& options) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) throw std::runtime_error("CreatePipe");
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  const std::string errorFile = options.WorkingDirectory + "/../stderr.txt";
  HANDLE error = CreateFileA(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                             nullptr);

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = writeEnd;
  startup.hStdError = error;
  PROCESS_INFORMATION process;
  std::string line = commandLine;
  BOOL started;
  {
    EnvironmentChange change(options.Environment);
    started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             options.WorkingDirectory.c_str(), &startup, &process);
  }
  CloseHandle(writeEnd);
  CloseHandle(error);
  CloseHandle(input);
  if (!started) {
    CloseHandle(readEnd);
    throw std::runtime_error("CreateProcessA failed for: " + commandLine);
  }

  RunResult result;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.Output.append(buffer, got);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  result.ExitStatus = static_cast<int>(status);
  result.Error = ::ReadFile(errorFile);
  return result;
}
