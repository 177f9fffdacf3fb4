// Runs a program on a pseudo-terminal of a given size, the way a user at a terminal runs it,
// answering every prompt that appears with Enter (or with the keys given).
#pragma once

#include <string>
#include <vector>

// What the terminal showed, byte for byte, and the program's exit status (-1: none); whether
// the terminal echoed typed keys once the program had ended.
struct TerminalRun {
  std::string screen;
  int exitCode = -1;
  bool echoAfter = false;
};

// Runs program with args on a terminal of `rows` rows; each time the output ends with `prompt`
// the run types `answer` (Enter unless given; "\x03" is Ctrl-C). Gives up after 30 seconds.
TerminalRun runOnTerminal(const std::string& program, const std::vector<std::string>& args,
                          int rows, const std::string& prompt, const std::string& answer = "\r");
