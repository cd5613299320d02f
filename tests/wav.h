// Builds small WAV files for tests.
#pragma once

#include <cstdint>
#include <string>

inline void PutLittle(std::string& out, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A RIFF WAVE file with one format chunk and `dataBytes` bytes of a simple ramp.
inline std::string MakeWav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint32_t dataBytes,
                           std::uint16_t formatTag = 1) {
  std::string fmt;
  PutLittle(fmt, formatTag, 2);
  PutLittle(fmt, channels, 2);
  PutLittle(fmt, rate, 4);
  PutLittle(fmt, rate * channels * bits / 8, 4);
  PutLittle(fmt, static_cast<std::uint32_t>(channels * bits / 8), 2);
  PutLittle(fmt, bits, 2);
  std::string data;
  for (std::uint32_t i = 0; i < dataBytes; ++i) data.push_back(static_cast<char>(i * 7));
  std::string wav = "RIFF";
  PutLittle(wav, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + data.size()), 4);
  wav += "WAVEfmt ";
  PutLittle(wav, static_cast<std::uint32_t>(fmt.size()), 4);
  wav += fmt;
  wav += "data";
  PutLittle(wav, static_cast<std::uint32_t>(data.size()), 4);
  return wav + data;
}
