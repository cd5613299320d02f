// The seam between the portable core and the operating system.
//
// Every function declared here is defined once per platform, in platform-posix.cpp
// or platform-win32.cpp; the core calls only these and never asks which side it is on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "arguments.h"
#include "encoder-command.h"
#include "output-name.h"

// Called first thing in main: puts the process in the state the core expects
// (standard handles usable, writes that fail return an error instead of killing us).
void PreparePlatform();

// What the command line asks for, by the platform's rules for splitting it and for
// reading its arguments (empty arguments never count).
Invocation ProgramInvocation(int argc, char** argv);

// Which bytes of the system's narrow code page start a double-byte character.
const LeadByteTable& SystemLeadBytes();

// --- Directory search, in the manner of FindFirstFileA / FindNextFileA ---

constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeArchive = 0x20;

struct SearchEntry {
  std::uint32_t Attributes;
  char FileName[260];  // the bare name, NUL-terminated
};

struct DirectorySearch;  // owned by the platform; released by SearchClose

// Starts a search for `pattern` (a name or mask, with an optional directory part) and
// fills `entry` with the first match. Returns null when the search did not start:
// nothing matched, the directory is missing or unreadable, or the pattern is not valid.
DirectorySearch* SearchFirst(const std::string& pattern, SearchEntry& entry);
// Fills `entry` with the next match; false when there are no more.
bool SearchNext(DirectorySearch* search, SearchEntry& entry);
void SearchClose(DirectorySearch* search);

// --- Console ---

// Takes the standard output handle for colour changes (once, after collection).
void TakeConsole();
// Sets a 16-colour console attribute. Failures are ignored.
void SetConsoleColour(std::uint16_t attribute);
// Writes bytes to standard output / standard error exactly as given. Failures are ignored.
void WriteStandardOutput(const char* data, std::size_t size);
void WriteStandardError(const char* data, std::size_t size);

// --- The encoder ---

// Starts the encoder with `command`, waits for it without a time limit and releases
// what the start took. True when the process was started; otherwise false, with the
// system's description of the reason in `reason`.
bool RunAndWait(const EncoderCommand& command, std::string& reason);

// --- Escaped failures ---

// The file name, without directory, of the program's own module.
const char* ModuleFileName();
// Where the program's own module starts in memory, and an address past the end of its
// code but not past the module: every code address of ours lies between the two.
std::uintptr_t ModuleBase();
std::uintptr_t ModuleCodeEnd();
