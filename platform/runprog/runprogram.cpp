#include "runprogram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace zkrun {

namespace {

// An unnamed file for the child's standard error: read after the child ended, it cannot fill
// up while standard output is being read.
int openErrorFile() {
  const char* dir = getenv("TMPDIR");
  std::string pattern =
      std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/zkrun.XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd >= 0) unlink(pattern.c_str());
  return fd;
}

std::string readFrom(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
  return text;
}

// This process's environment, with the given entries added or in place of those of their names.
std::vector<std::string> environmentWith(const std::vector<std::string>& entries) {
  std::vector<std::string> result;
  for (char** entryP = environ; *entryP != nullptr; ++entryP) {
    std::string entry(*entryP);
    std::string name = entry.substr(0, entry.find('=')) + "=";
    bool replaced = false;
    for (const std::string& given : entries) replaced = replaced || given.starts_with(name);
    if (!replaced) result.push_back(entry);
  }
  result.insert(result.end(), entries.begin(), entries.end());
  return result;
}

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& inputFile, const std::vector<std::string>& environment) {
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> envWords = environmentWith(environment);
  std::vector<char*> envp;
  for (std::string& word : envWords) envp.push_back(word.data());
  envp.push_back(nullptr);
  ProgramRun run;
  int pipeFds[2];
  int errFd = openErrorFile();
  if (errFd < 0) return run;
  if (pipe(pipeFds) != 0) {
    close(errFd);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  if (!inputFile.empty())
    posix_spawn_file_actions_addopen(&actions, 0, inputFile.c_str(), O_RDONLY, 0);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  // The parent's copy of the write end goes first, so that reading ends when the child exits.
  close(pipeFds[1]);
  run.out = readFrom(pipeFds[0]);
  close(pipeFds[0]);
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  }
  if (lseek(errFd, 0, SEEK_SET) == 0) run.err = readFrom(errFd);
  close(errFd);
  return run;
}

}  // namespace zkrun
