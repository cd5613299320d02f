#include "failure-report.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

std::uintptr_t FailedAllocationAddress = 0;

std::size_t FormatFailureReport(char* buffer, std::size_t size, const char* kind,
                                const char* module, std::uintptr_t offset, const char* message) {
  const std::size_t length = std::strlen(message);
  const char* stop = (length > 0 && message[length - 1] != '.') ? "." : "";
  const int written = std::snprintf(buffer, size, "Exception %s in module %s at %08" PRIXPTR ".\r\n%s%s\r\n\r\n",
                                    kind, module, offset, message, stop);
  if (written < 0) {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  return static_cast<std::size_t>(written) < size ? static_cast<std::size_t>(written) : size - 1;
}
