// A pseudo-terminal driver for the tests.
#include "terminal.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

TerminalRun runOnTerminal(const std::string& program, const std::vector<std::string>& args,
                          int rows, const std::string& prompt, const std::string& answer) {
  TerminalRun run;
  struct winsize size = {};
  size.ws_row = static_cast<unsigned short>(rows);
  size.ws_col = 100;
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid < 0) return run;
  if (pid == 0) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  size_t answered = 0;  // the screen length up to the last prompt answered
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    struct pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 100) <= 0) continue;
    char buffer[4096];
    ssize_t count = read(master, buffer, sizeof buffer);
    if (count <= 0) break;  // the program closed the terminal
    run.screen.append(buffer, size_t(count));
    size_t at = run.screen.rfind(prompt);
    if (at != std::string::npos && at + prompt.size() == run.screen.size() && at >= answered) {
      answered = run.screen.size();
      // The program prints its prompt before it switches the terminal to raw keys; a key that
      // came earlier would be echoed as a line end of its own.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (write(master, answer.data(), answer.size()) != ssize_t(answer.size())) break;
    }
  }
  int status = 0;
  if (std::chrono::steady_clock::now() >= deadline) kill(pid, SIGKILL);  // it hangs
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  // The master side reports the settings the program left on its terminal.
  struct termios settings = {};
  run.echoAfter = tcgetattr(master, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  close(master);
  return run;
}
