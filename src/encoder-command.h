// The command that runs the encoder on one input file.
#pragma once

#include <string>
#include <vector>

struct EncoderCommand {
  std::string Program;                  // "enc.exe"
  std::string Line;                     // enc.exe "<input>" "<output>" <bitrate>
  std::vector<std::string> Arguments;   // what the encoder receives after its own name
};

// Both forms of the same command: `Line` for a system that starts programs from one
// command line, `Arguments` for one that takes a vector. The names are always single
// arguments; the bitrate goes on unquoted, so text such as "1024 x" becomes two
// arguments in either form.
EncoderCommand BuildEncoderCommand(const std::string& inputName, const std::string& outputName,
                                   const std::string& bitrate);
