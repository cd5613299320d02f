// The encoder's command: the input and output names always arrive as its first two
// arguments, unchanged, whatever bytes they hold; the bitrate follows as the Windows rule
// splits it; and the one-line form is the fixed layout around the three texts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "arguments.h"
#include "encoder-command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t first = text.find('\0');
  if (first == std::string::npos) return 0;
  const std::size_t second = text.find('\0', first + 1);
  if (second == std::string::npos) return 0;
  const std::string input = text.substr(0, first);
  const std::string output = text.substr(first + 1, second - first - 1);
  const std::string bitrate = text.substr(second + 1);

  const EncoderCommand command = BuildEncoderCommand(input, output, bitrate);
  if (command.Program != "enc.exe") std::abort();
  if (command.Arguments.size() < 2 || command.Arguments[0] != input || command.Arguments[1] != output) std::abort();
  const std::vector<std::string> rest(command.Arguments.begin() + 2, command.Arguments.end());
  if (rest != SplitLikeCommandLineToArgvW(bitrate)) std::abort();
  if (command.Line != "enc.exe \"" + input + "\" \"" + output + "\" " + bitrate) std::abort();
  for (const std::string& piece : rest) {
    if (piece.size() > bitrate.size()) std::abort();
    if (piece.find_first_of(" \t") != std::string::npos && bitrate.find('"') == std::string::npos) std::abort();
  }
  return 0;
}
