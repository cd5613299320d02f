// What the end-to-end tests on both platforms expect of Quintrel, and how they read what
// the recording encoder was given.
#pragma once

#include <string>
#include <vector>

inline const std::string kBanner = "Shell for Relic AIFR encoder (WAV PCM => Homeworld II AIFR) [enc.exe]\r\n";
inline const std::string kUsage =
    kBanner +
    "Usage: Quintrel <WAV file or filemask> <Block_Bitrate>\r\n"
    "Standart Block_Bitrate: 512(88.2kbps LQ), 1024(176.4kbps MQ), 2048(352.8kbps HQ)\r\n";

inline std::string Progress(int i, int count) {
  return "\r\n[" + std::to_string(i) + " of " + std::to_string(count) + "] encoding...\r\n";
}

inline std::string CannotStart(const std::string& reason) {
  return "Quintrel: cannot start enc.exe: " + reason + "\r\n";
}

// Checks the run of a program whose allocation number `failingAllocation` failed: either
// that allocation came after the last one, and the run is the normal one, or the run
// wrote whole lines of the normal output, then the last-chance report naming `module`, and
// ended with exit status 1.
void ExpectNormalRunOrOutOfMemoryReport(const std::string& normalOutput, const std::string& output, int exitStatus,
                                        const std::string& module, long failingAllocation);

using Call = std::vector<std::string>;  // what one encoder run was given, its own name first

// The runs recorded in the recording encoder's log, in the order they started. Adds a
// test failure if two ever overlapped or a record is broken.
std::vector<Call> ReadEncoderCalls(const std::string& logPath);
