// Splitting of command lines into arguments, by the rules the program and its encoder rely on.
#pragma once

#include <string>
#include <vector>

// Splits a whole Windows command line the way this program reads its own: the program's
// name first, then every argument up to the first one that comes out empty.
// Characters 1..32 separate arguments; a pair of double quotes where an argument would
// begin is skipped; a double quote opens a section (ended by the next one or by the end
// of the line) in which blanks are ordinary; the quotes themselves are dropped and
// quoted and unquoted pieces that touch join into one argument.
std::vector<std::string> SplitProgramCommandLine(const char* commandLine);

// The arguments after the program's name from an argument vector that the system has
// already split, with empty ones left out (as the Windows rule skips a pair of quotes).
std::vector<std::string> NonEmptyArguments(int argc, char** argv);

// What a command line asks for: the names or masks to collect, in order, and the bitrate.
// No masks at all means too few arguments were given.
struct Invocation {
  std::vector<std::string> Masks;
  std::string Bitrate;
};

// The program's own rule: argument 1 is the mask, argument 2 the bitrate, and any later
// ones are ignored.
Invocation MaskThenBitrate(const std::vector<std::string>& arguments);

// For a shell that expands masks before the program sees them ("*.wav" arrives as
// "a.wav b.wav ..."): the last argument is the bitrate and every earlier one a name or
// mask. With two arguments this is the program's own rule.
Invocation NamesThenBitrate(const std::vector<std::string>& arguments);

// Splits text that stands after a blank on a command line the way CommandLineToArgvW
// splits arguments after the program's name: blanks and tabs separate, double quotes
// group, 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal
// quote, and runs of quotes follow its count-of-three rule.
std::vector<std::string> SplitLikeCommandLineToArgvW(const std::string& text);
