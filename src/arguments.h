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

// Splits text that stands after a blank on a command line the way CommandLineToArgvW
// splits arguments after the program's name: blanks and tabs separate, double quotes
// group, 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal
// quote, and runs of quotes follow its count-of-three rule.
std::vector<std::string> SplitLikeCommandLineToArgvW(const std::string& text);
