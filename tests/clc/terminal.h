// Runs a program on a pseudo-terminal of a given size, the way a user at a terminal runs it,
// answering every prompt that appears with Enter.
#pragma once

#include <string>
#include <vector>

// What the terminal showed, byte for byte, and the program's exit status (-1: none).
struct TerminalRun {
  std::string screen;
  int exitCode = -1;
};

// Runs program with args on a terminal of `rows` rows; each time the output ends with `prompt`
// the run presses Enter. Gives up after 30 seconds.
TerminalRun runOnTerminal(const std::string& program, const std::vector<std::string>& args,
                          int rows, const std::string& prompt);
