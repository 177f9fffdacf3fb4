#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "pskeyedit.h"
#include "psutil.h"

namespace {

// The text and the echo after a sequence of keys, on a buffer of `size` bytes.
struct Edited {
  std::string text;
  std::string echo;
  bool done;
};
Edited edit(const std::vector<int>& keys, int size = 64) {
  CPsKeyEditor editor(size - 1);
  Edited result{"", "", false};
  for (int key : keys) {
    result.done = editor.apply(key, &result.echo);
    if (result.done) break;
  }
  result.text = editor.text();
  return result;
}

std::vector<int> typed(const std::string& text) { return std::vector<int>(text.begin(), text.end()); }

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PsKeyEditor, EveryKeyAndItsEcho) {
  const int L = PS_KEY_LEFT, R = PS_KEY_RIGHT, BS = PS_KEY_BACKSPACE, DEL = PS_KEY_DELETE,
            INS = PS_KEY_INSERT, ENTER = PS_KEY_ENTER;
  const struct {
    const char* what;
    std::vector<int> keys;
    const char* text;
    const char* echo;
  } cases[] = {
      {"plain", typed("abc") + std::vector<int>{ENTER}, "abc", "***"},
      {"backspace at the end", typed("abc") + std::vector<int>{BS}, "ab", "***\b \b"},
      {"backspace in the middle", typed("abc") + std::vector<int>{L, BS}, "ac", ""},
      {"backspace at the start", std::vector<int>{BS} + typed("a"), "a", "*"},
      {"delete under the cursor", typed("abc") + std::vector<int>{L, L, DEL}, "ac", ""},
      {"delete at the end", typed("ab") + std::vector<int>{DEL}, "ab", "**"},
      {"overwrite", typed("abc") + std::vector<int>{L, L} + typed("X"), "aXc", ""},
      {"insert", typed("abc") + std::vector<int>{L, L, INS} + typed("X"), "aXbc", ""},
      {"arrows stop at both ends", std::vector<int>{L} + typed("ab") + std::vector<int>{R, L, L, L} +
                                       typed("Z"),
       "Zb", ""},
      {"other keys ignored", std::vector<int>{1, 27, 128 + 71, 200} + typed("a"), "a", "*"},
  };
  for (const auto& c : cases) {
    Edited result = edit(c.keys);
    EXPECT_EQ(result.text, c.text) << c.what;
    if (c.echo[0] != '\0') {
      EXPECT_EQ(result.echo, std::string(c.echo)) << c.what;
    }
  }
  // The echo of an edit in the middle redraws the rest and moves back.
  EXPECT_EQ(edit(typed("abc") + std::vector<int>{L, BS}).echo, "***\b\b* \b\b");
  EXPECT_EQ(edit(typed("abc") + std::vector<int>{L, L, INS} + typed("X")).echo,
            "***\b\b***\b\b");
}

TEST(PsKeyEditor, ASixtyFourByteBufferHoldsSixtyThreeCharacters) {
  Edited full = edit(typed(std::string(64, 'p')) + std::vector<int>{PS_KEY_ENTER});
  EXPECT_TRUE(full.done);
  EXPECT_EQ(full.text, std::string(63, 'p'));
  EXPECT_EQ(full.echo, std::string(63, '*'));
  // A larger buffer: the entry ends by itself at 64 characters.
  Edited larger = edit(typed(std::string(70, 'q')), 100);
  EXPECT_TRUE(larger.done);
  EXPECT_EQ(larger.text, std::string(64, 'q'));
}

// Puts one end of a pipe or terminal in place of a standard stream for the test's lifetime.
class StreamSwap {
 public:
  StreamSwap(int target, int fd) : m_Target(target), m_Saved(dup(target)) { dup2(fd, target); }
  ~StreamSwap() {
    dup2(m_Saved, m_Target);
    close(m_Saved);
  }

 private:
  int m_Target;
  int m_Saved;
};

std::string readAvailable(int fd) {
  std::string text;
  char chunk[256];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0) text.append(chunk, size_t(n));
  return text;
}

// The pseudo-terminal: typed keys arrive as the terminal sends them (escape sequences, DEL for
// backspace), the echo goes back to the terminal, and its settings are restored afterwards.
TEST(PsReadPassword, EditsOnATerminalAndRestoresItsSettings) {
  int master = -1;
  int slave = -1;
  struct termios settings = {};
  cfmakeraw(&settings);
  settings.c_lflag |= ISIG;
  settings.c_cc[VMIN] = 5;  // a setting the reader must put back
  ASSERT_EQ(openpty(&master, &slave, nullptr, &settings, nullptr), 0);
  // Three times left, backspace, insert mode, "c", right, delete, "E", Enter.
  const std::string keys = "sexret\x1b[D\x1b[D\x1b[D\x7f\x1b[2~c\x1b[C\x1b[3~E\r";
  ASSERT_EQ(write(master, keys.data(), keys.size()), ssize_t(keys.size()));
  char password[64];
  {
    StreamSwap in(STDIN_FILENO, slave);
    StreamSwap out(STDOUT_FILENO, slave);
    EXPECT_EQ(psReadPassword(password, sizeof password), 6);
  }
  EXPECT_STREQ(password, "secrEt");
  struct termios after;
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_EQ(after.c_cc[VMIN], 5);
  fcntl(master, F_SETFL, O_NONBLOCK);
  std::string echo = readAvailable(master);
  EXPECT_EQ(echo.find_first_not_of("*\b "), std::string::npos) << ::testing::PrintToString(echo);
  EXPECT_NE(echo.find("******"), std::string::npos);
  close(master);
  close(slave);
}

TEST(PsReadPassword, ReadsPlainLinesWhenInputIsNoTerminal) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string input = "secret\r\n" + std::string(70, 'p') + "\nnext\n\nrest";
  ASSERT_EQ(write(fds[1], input.data(), input.size()), ssize_t(input.size()));
  close(fds[1]);
  char password[64];
  std::vector<std::string> read;
  {
    StreamSwap in(STDIN_FILENO, fds[0]);
    for (int i = 0; i < 6; i++) {
      int length = psReadPassword(password, sizeof password);
      EXPECT_EQ(size_t(length), strlen(password));
      read.push_back(password);
    }
  }
  close(fds[0]);
  EXPECT_EQ(read, (std::vector<std::string>{"secret", std::string(63, 'p'), "next", "", "rest",
                                            ""}));
}

TEST(PsConsole, WaitForEnterKeyTakesOneLine) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "any keys\nleft\n", 14), 14);
  close(fds[1]);
  char rest[16];
  {
    StreamSwap in(STDIN_FILENO, fds[0]);
    EXPECT_EQ(psWaitForEnterKey(), 0);
    EXPECT_EQ(psReadPassword(rest, sizeof rest), 4);
    EXPECT_EQ(psWaitForEnterKey(), 0);  // the end of input ends the wait too
  }
  close(fds[0]);
  EXPECT_STREQ(rest, "left");
}

TEST(PsConsole, SizeOfTheTerminalOrOfNone) {
  int master = -1;
  int slave = -1;
  struct winsize size = {};
  size.ws_row = 40;
  size.ws_col = 120;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
  int rows = 0;
  int columns = 0;
  {
    StreamSwap out(STDOUT_FILENO, slave);
    EXPECT_EQ(psStdoutRedirected(), 0);
    psGetConsoleSize(&rows, &columns);
    EXPECT_EQ(rows, 39);
    EXPECT_EQ(columns, 119);
    size = {};
    ioctl(slave, TIOCSWINSZ, &size);
    psGetConsoleSize(&rows, &columns);
    EXPECT_EQ(rows, 23);
    EXPECT_EQ(columns, 79);
    psGetConsoleSize(nullptr, &columns);
  }
  close(master);
  close(slave);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  {
    StreamSwap out(STDOUT_FILENO, fds[1]);
    EXPECT_NE(psStdoutRedirected(), 0);
    psGetConsoleSize(&rows, &columns);
  }
  close(fds[0]);
  close(fds[1]);
  EXPECT_EQ(rows, 9999);
  EXPECT_EQ(columns, 9999);
}

TEST(PsConsole, SystemFacts) {
  uint32_t major = 0, minor = 0, build = 0, platform = 0;
  EXPECT_NE(psGetOsVersion(&major, &minor, &build, &platform), 0);
  EXPECT_GT(major, 0u);
  EXPECT_EQ(platform, 2u);
  char name[16];
  psGetComputerName(name, sizeof name);
  EXPECT_GT(strlen(name), 0u);
  for (const char* p = name; *p != '\0'; p++) EXPECT_EQ(*p, toupper((unsigned char)*p));
  char tiny[4];
  psGetComputerName(tiny, sizeof tiny);
  EXPECT_LE(strlen(tiny), 3u);
}

}  // namespace
