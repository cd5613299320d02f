// A stand-in for the AIFR encoder, for demos and tests: it checks that its input is a
// WAV PCM file and writes a simple container of its own (not the game's AIFR format).
//
//   enc.exe <input> <output> <block_bitrate>
//
// The output is written to "<output>.partial" and renamed when complete, so a failure
// never leaves a half-written output behind.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PcmFormat {
  std::uint16_t Channels = 0;
  std::uint32_t SampleRate = 0;
  std::uint16_t BitsPerSample = 0;
  std::vector<unsigned char> Samples;
};

std::uint32_t ReadLittle(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

void PutLittle(std::string& out, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool ReadFile(const char* path, std::vector<unsigned char>& contents) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  unsigned char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.insert(contents.end(), buffer, buffer + got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

// Returns an empty string when `wav` is a RIFF WAVE file with a PCM format chunk (format
// tag 1, 8 or 16 bits, 1 or 2 channels) and a data chunk; otherwise what is wrong.
std::string ParseWav(const std::vector<unsigned char>& wav, PcmFormat& format) {
  if (wav.size() < 12 || std::memcmp(wav.data(), "RIFF", 4) != 0 || std::memcmp(wav.data() + 8, "WAVE", 4) != 0)
    return "not a RIFF WAVE file";
  bool haveFormat = false;
  std::size_t at = 12;
  while (at + 8 <= wav.size()) {
    const unsigned char* chunk = wav.data() + at;
    const std::uint32_t size = ReadLittle(chunk + 4, 4);
    if (size > wav.size() - at - 8) return "truncated chunk";
    const unsigned char* body = chunk + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return "format chunk too short";
      if (ReadLittle(body, 2) != 1) return "not PCM (format tag is not 1)";
      format.Channels = static_cast<std::uint16_t>(ReadLittle(body + 2, 2));
      format.SampleRate = ReadLittle(body + 4, 4);
      format.BitsPerSample = static_cast<std::uint16_t>(ReadLittle(body + 14, 2));
      if (format.Channels != 1 && format.Channels != 2) return "unsupported channel count";
      if (format.BitsPerSample != 8 && format.BitsPerSample != 16) return "unsupported sample size";
      if (format.SampleRate == 0) return "sample rate is zero";
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return "data chunk before format chunk";
      format.Samples.assign(body, body + size);
      return "";
    }
    at += 8 + size + (size & 1);
  }
  return haveFormat ? "no data chunk" : "no format chunk";
}

bool ParseBitrate(const char* text, std::uint32_t& bitrate) {
  if (*text == '\0') return false;
  std::uint64_t value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  bitrate = static_cast<std::uint32_t>(value);
  return bitrate > 0;
}

// Stand-in container, little-endian: "QSAF", version (2 bytes, 1), channels (2), sample
// rate (4), bits per sample (2), block bitrate (4), sample data size (4), sample data.
std::string Container(const PcmFormat& format, std::uint32_t bitrate) {
  std::string out = "QSAF";
  PutLittle(out, 1, 2);
  PutLittle(out, format.Channels, 2);
  PutLittle(out, format.SampleRate, 4);
  PutLittle(out, format.BitsPerSample, 2);
  PutLittle(out, bitrate, 4);
  PutLittle(out, static_cast<std::uint32_t>(format.Samples.size()), 4);
  out.append(format.Samples.begin(), format.Samples.end());
  return out;
}

bool WriteAtomically(const std::string& path, const std::string& contents) {
  const std::string partial = path + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  ok = (std::fclose(file) == 0) && ok;
  if (ok && std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(path.c_str());  // some systems will not rename over an existing file
    ok = std::rename(partial.c_str(), path.c_str()) == 0;
  }
  if (!ok) std::remove(partial.c_str());
  return ok;
}

int Fail(const char* input, const std::string& why) {
  std::fprintf(stderr, "enc.exe: %s: %s\n", input, why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: enc.exe <input> <output> <block_bitrate>\n");
    return 2;
  }
  const char* input = argv[1];
  const char* output = argv[2];
  std::uint32_t bitrate = 0;
  if (!ParseBitrate(argv[3], bitrate)) return Fail(input, std::string("block bitrate is not a positive whole number: ") + argv[3]);

  std::vector<unsigned char> wav;
  if (!ReadFile(input, wav)) return Fail(input, "cannot read: " + std::string(std::strerror(errno)));
  PcmFormat format;
  const std::string problem = ParseWav(wav, format);
  if (!problem.empty()) return Fail(input, problem);
  if (!WriteAtomically(output, Container(format, bitrate))) return Fail(input, std::string("cannot write ") + output);

  const double frames = static_cast<double>(format.Samples.size()) / (format.Channels * (format.BitsPerSample / 8));
  std::printf("enc.exe: %s -> %s: %u Hz, %u-bit, %s, %.2f s, block bitrate %u\n", input, output,
              static_cast<unsigned>(format.SampleRate), static_cast<unsigned>(format.BitsPerSample),
              format.Channels == 1 ? "mono" : "stereo", frames / format.SampleRate, static_cast<unsigned>(bitrate));
  return 0;
}
