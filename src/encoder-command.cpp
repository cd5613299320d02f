#include "encoder-command.h"

#include "arguments.h"

EncoderCommand BuildEncoderCommand(const std::string& inputName, const std::string& outputName,
                                   const std::string& bitrate) {
  EncoderCommand command;
  command.Program = "enc.exe";
  command.Line = command.Program + " \"" + inputName + "\" \"" + outputName + "\" " + bitrate;
  command.Arguments = {inputName, outputName};
  for (std::string& piece : SplitLikeCommandLineToArgvW(bitrate))
    command.Arguments.push_back(std::move(piece));
  return command;
}
