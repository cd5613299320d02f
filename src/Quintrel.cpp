// Quintrel: runs the AIFR encoder on every WAV file that a name or mask matches,
// one file at a time, announcing each with a coloured progress line.
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "encoder-command.h"
#include "failure-report.h"
#include "input-list.h"
#include "output-name.h"
#include "platform.h"

namespace {

constexpr std::uint16_t kColourProgress = 14;  // bright yellow on black
constexpr std::uint16_t kColourNormal = 7;     // light grey on black
constexpr int kExitCannotStartEncoder = 127;

// Text written but not yet handed to standard output. It goes out before every colour
// change and every encoder start, so a log never shows the encoder's output ahead of
// the progress line that announced it.
std::string HeldOutput;

void WriteLine(std::string_view text) {
  HeldOutput.append(text);
  HeldOutput.append("\r\n");
}

void FlushOutput() {
  if (HeldOutput.empty()) return;
  WriteStandardOutput(HeldOutput.data(), HeldOutput.size());
  HeldOutput.clear();
}

void SetColour(std::uint16_t attribute) {
  FlushOutput();
  SetConsoleColour(attribute);
}

void ReportCannotStart(const std::string& reason) {
  const std::string line = "Quintrel: cannot start enc.exe: " + reason + "\r\n";
  WriteStandardError(line.data(), line.size());
}

int RunQuintrel(int argc, char** argv) {
  HeldOutput.reserve(256);  // room for any one line, so a line is never held in part
  WriteLine("Shell for Relic AIFR encoder (WAV PCM => Homeworld II AIFR) [enc.exe]");
  FlushOutput();  // on screen before a search that may take a while on a large folder
  const Invocation invocation = ProgramInvocation(argc, argv);
  if (invocation.Masks.empty()) {
    WriteLine("Usage: Quintrel <WAV file or filemask> <Block_Bitrate>");
    WriteLine("Standart Block_Bitrate: 512(88.2kbps LQ), 1024(176.4kbps MQ), 2048(352.8kbps HQ)");
    FlushOutput();
    return 0;
  }
  const std::string& bitrate = invocation.Bitrate;

  FileCount = 0;
  for (const std::string& mask : invocation.Masks) CollectInputList(mask);
  TakeConsole();

  const LeadByteTable& leadBytes = SystemLeadBytes();
  bool encoderMissing = false;
  const std::int32_t count = FileCount;
  for (std::int32_t i = 1; i <= count; ++i) {
    SetColour(kColourProgress);
    WriteLine("\r\n[" + std::to_string(i) + " of " + std::to_string(count) + "] encoding...");
    SetColour(kColourNormal);

    const std::string& input = FileList[static_cast<std::size_t>(i - 1)];
    const EncoderCommand command = BuildEncoderCommand(input, OutputName(input, leadBytes), bitrate);
    FlushOutput();
    std::string reason;
    if (!RunAndWait(command, reason)) {
      ReportCannotStart(reason);
      encoderMissing = true;
    }
  }
  SetColour(kColourNormal);
  FlushOutput();
  return encoderMissing ? kExitCannotStartEncoder : 0;
}

// Last chance for memory exhaustion: the text still held goes out first, then the
// report, written straight to standard output without allocating.
int ReportOutOfMemory() {
  FlushOutput();
  // The report names our own module; an allocation made from a shared library's code (as
  // with a dynamically linked C++ runtime) is reported at the entry of the pass instead.
  const std::uintptr_t base = ModuleBase();
  std::uintptr_t address = FailedAllocationAddress;
  if (address < base || address >= ModuleCodeEnd()) address = reinterpret_cast<std::uintptr_t>(&RunQuintrel);
  const std::uintptr_t offset = address - base;
  char report[512];
  const std::size_t length =
      FormatFailureReport(report, sizeof report, "EOutOfMemory", ModuleFileName(), offset, "Out of memory");
  WriteStandardOutput(report, length);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  PreparePlatform();
  try {
    return RunQuintrel(argc, argv);
  } catch (const std::bad_alloc&) {
    return ReportOutOfMemory();
  }
}
