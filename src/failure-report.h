// The last-chance report for a failure that escapes the program's own code.
#pragma once

#include <cstddef>
#include <cstdint>

// The code address of the allocation that last failed, or 0 when none has; set by the
// program's operator new.
extern std::uintptr_t FailedAllocationAddress;

// Writes the report into `buffer` (always NUL-terminated) and returns its length:
//   Exception <kind> in module <module> at <offset, 8 upper-case hex digits>.CR LF
//   <message>[.]CR LF
//   CR LF
// A full stop is added to a non-empty message that does not already end in one.
std::size_t FormatFailureReport(char* buffer, std::size_t size, const char* kind,
                                const char* module, std::uintptr_t offset, const char* message);
