// The platform seam on 32-bit Windows: kernel32's console, search and process services.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "arguments.h"
#include "platform.h"

extern "C" const unsigned char __ImageBase[];  // provided by the linker: where our module is mapped

namespace {

HANDLE ConsoleHandle = INVALID_HANDLE_VALUE;
LeadByteTable LeadBytes{};
char ModulePath[MAX_PATH + 1];

// The default ANSI code page of the thread's locale, which is what the names from the
// directory search are written in.
UINT ThreadAnsiCodePage() {
  char number[8] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, number, sizeof number) == 0) return GetACP();
  const UINT codePage = static_cast<UINT>(std::strtoul(number, nullptr, 10));
  return codePage != 0 ? codePage : GetACP();
}

void WriteAll(DWORD which, const char* data, std::size_t size) {
  const HANDLE handle = GetStdHandle(which);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(handle, data, static_cast<DWORD>(size), &written, nullptr) || written == 0) return;
    data += written;
    size -= written;
  }
}

}  // namespace

void PreparePlatform() {
  CPINFO info;
  if (GetCPInfo(ThreadAnsiCodePage(), &info) && info.MaxCharSize == 2) {
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
      for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) LeadBytes[b] = true;
    }
  }
  const DWORD length = GetModuleFileNameA(nullptr, ModulePath, MAX_PATH);
  ModulePath[length <= MAX_PATH ? length : 0] = '\0';
}

Invocation ProgramInvocation(int, char**) {
  // The C runtime's argv follows other rules; split the raw command line ourselves.
  std::vector<std::string> arguments = SplitProgramCommandLine(GetCommandLineA());
  arguments.erase(arguments.begin());
  return MaskThenBitrate(arguments);
}

const LeadByteTable& SystemLeadBytes() { return LeadBytes; }

// --- Directory search ---

struct DirectorySearch {
  HANDLE Handle;
};

namespace {

void CopyEntry(const WIN32_FIND_DATAA& data, SearchEntry& entry) {
  entry.Attributes = data.dwFileAttributes;
  static_assert(sizeof entry.FileName == sizeof data.cFileName, "the record holds a whole cFileName");
  std::memcpy(entry.FileName, data.cFileName, sizeof entry.FileName);
}

}  // namespace

DirectorySearch* SearchFirst(const std::string& pattern, SearchEntry& entry) {
  WIN32_FIND_DATAA data;
  const HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  CopyEntry(data, entry);
  return new DirectorySearch{handle};
}

bool SearchNext(DirectorySearch* search, SearchEntry& entry) {
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(search->Handle, &data)) return false;
  CopyEntry(data, entry);
  return true;
}

void SearchClose(DirectorySearch* search) {
  FindClose(search->Handle);
  delete search;
}

// --- Console ---

void TakeConsole() { ConsoleHandle = GetStdHandle(STD_OUTPUT_HANDLE); }

void SetConsoleColour(std::uint16_t attribute) { SetConsoleTextAttribute(ConsoleHandle, attribute); }

void WriteStandardOutput(const char* data, std::size_t size) { WriteAll(STD_OUTPUT_HANDLE, data, size); }

void WriteStandardError(const char* data, std::size_t size) { WriteAll(STD_ERROR_HANDLE, data, size); }

// --- The encoder ---

namespace {

std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length != 0 ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

}  // namespace

bool RunAndWait(const EncoderCommand& command, std::string& reason) {
  static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "the 32-bit start-up record is 68 bytes");
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::string line = command.Line;  // CreateProcessA may write into its command line
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    reason = SystemMessage(GetLastError());
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

// --- Escaped failures ---

const char* ModuleFileName() {
  const char* slash = std::strrchr(ModulePath, '\\');
  return slash != nullptr ? slash + 1 : "Quintrel.exe";
}

std::uintptr_t ModuleBase() { return reinterpret_cast<std::uintptr_t>(__ImageBase); }

std::uintptr_t ModuleCodeEnd() {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(__ImageBase);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(__ImageBase + dos->e_lfanew);
  return ModuleBase() + headers->OptionalHeader.SizeOfImage;
}
