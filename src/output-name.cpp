#include "output-name.h"

std::string OutputName(const std::string& inputName, const LeadByteTable& leadBytes) {
  const std::size_t none = std::string::npos;
  std::size_t lastMark = none;
  for (std::size_t i = 0; i < inputName.size(); ++i) {
    const auto byte = static_cast<unsigned char>(inputName[i]);
    if (leadBytes[byte] && i + 1 < inputName.size()) {
      ++i;  // the trail byte is part of this character
    } else if (byte == '.' || byte == '\\' || byte == ':') {
      lastMark = i;
    }
  }
  const bool hasExtension = lastMark != none && inputName[lastMark] == '.';
  return inputName.substr(0, hasExtension ? lastMark : inputName.size()) + ".aifr";
}
