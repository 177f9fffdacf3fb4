// The console: its size and redirection, the hidden password entry, waiting for Enter,
// clearing the screen, and the system's version and computer name.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/utsname.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "agttrc.h"
#include "pskeyedit.h"
#include "psutil.h"

namespace {

constexpr int kEndOfInput = -1;
constexpr uint32_t kPlatformFamily = 2;
constexpr size_t kComputerNameMax = 15;

constexpr int kCancelled = -2;

// The terminal settings a raw entry changed, so that any way out of the program (a cancel that
// ends it from the signal thread included) can put them back.
struct SavedTerminal {
  std::mutex mutex;
  bool active = false;      // guarded by mutex
  bool restored = false;    // guarded by mutex: the program is on its way out, no raw mode now
  int fd = -1;              // guarded by mutex
  struct termios saved {};  // guarded by mutex
};

SavedTerminal& savedTerminal() {
  static SavedTerminal terminal;
  return terminal;
}

// The cancel of console input: once raised, every read of a key or line waiting now or later
// ends at once. A pipe wakes a read blocked in poll.
struct InputCancel {
  std::atomic<bool> raised{false};
  int pipe[2] = {-1, -1};
  InputCancel() {
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) pipe[0] = pipe[1] = -1;
  }
};

InputCancel& inputCancel() {
  static InputCancel cancel;
  return cancel;
}

// Puts a terminal into key-by-key input without echo for its lifetime; signals still work.
class CRawTerminal {
 public:
  explicit CRawTerminal(int fd) : m_Fd(fd) {
    if (tcgetattr(fd, &m_Saved) != 0) return;
    struct termios raw = m_Saved;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    SavedTerminal& terminal = savedTerminal();
    std::lock_guard<std::mutex> hold(terminal.mutex);
    if (terminal.restored) return;  // a cancel that ends the program came first
    terminal.saved = m_Saved;
    terminal.fd = fd;
    terminal.active = true;
    m_Active = tcsetattr(fd, TCSANOW, &raw) == 0;
    terminal.active = m_Active;
  }
  ~CRawTerminal() {
    if (!m_Active) return;
    SavedTerminal& terminal = savedTerminal();
    std::lock_guard<std::mutex> hold(terminal.mutex);
    tcsetattr(m_Fd, TCSANOW, &m_Saved);
    terminal.active = false;
  }
  CRawTerminal(const CRawTerminal&) = delete;
  CRawTerminal& operator=(const CRawTerminal&) = delete;

 private:
  int m_Fd;
  struct termios m_Saved;
  bool m_Active = false;
};

// One byte of standard input; kEndOfInput at its end or on an error, kCancelled once the input
// was cancelled.
int readByte() {
  InputCancel& cancel = inputCancel();
  unsigned char byte;
  for (;;) {
    if (cancel.raised.load()) return kCancelled;
    struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {cancel.pipe[0], POLLIN, 0}};
    int ready = poll(fds, cancel.pipe[0] >= 0 ? 2 : 1, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return kEndOfInput;
    if (fds[1].revents != 0) return kCancelled;
    ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return kEndOfInput;
  }
}

bool ended(int byte) {
  return byte == kEndOfInput || byte == kCancelled;
}

// The rest of an escape sequence ("ESC [ 3 ~", "ESC O D"), as the console's key code; 0 for a
// key the editor does not know.
int readEscapeKey() {
  int introducer = readByte();
  if (introducer != '[' && introducer != 'O') return 0;
  std::string parameters;
  int final;
  while (!ended(final = readByte()) && !(final >= 0x40 && final <= 0x7e)) {
    parameters.push_back(char(final));
  }
  if (final == 'D') return PS_KEY_LEFT;
  if (final == 'C') return PS_KEY_RIGHT;
  if (final == '~' && parameters == "3") return PS_KEY_DELETE;
  if (final == '~' && parameters == "2") return PS_KEY_INSERT;
  return 0;
}

// One key from the terminal in the console's codes; kEndOfInput at the end of input,
// kCancelled after a cancel.
int readKey() {
  int byte = readByte();
  if (byte == 0x1b) return readEscapeKey();
  if (byte == 127) return PS_KEY_BACKSPACE;  // what terminals send for the backspace key
  if (byte == '\n') return PS_KEY_ENTER;
  return byte;
}

void echo(const std::string& text) {
  int fd = isatty(STDOUT_FILENO) ? STDOUT_FILENO : STDIN_FILENO;
  if (!text.empty() && write(fd, text.data(), text.size()) < 0) {
    TRACE_LINE(TRC_GENERAL, "The password echo cannot be written, errno = %d\n", errno);
  }
}

std::string readHiddenEntry(int capacity) {
  CRawTerminal raw(STDIN_FILENO);
  CPsKeyEditor editor(capacity);
  for (;;) {
    int key = readKey();
    if (ended(key)) break;
    std::string shown;
    bool done = editor.apply(key, &shown);
    echo(shown);
    if (done) break;
  }
  return editor.text();
}

// One line of standard input without its line end; what does not fit is read and dropped.
std::string readPlainLine(int capacity) {
  std::string line;
  int byte;
  while (!ended(byte = readByte()) && byte != '\n') {
    if (byte != '\r' && line.size() < size_t(capacity)) line.push_back(char(byte));
  }
  return line;
}

}  // namespace

int psGetOsVersion(uint32_t* majorP, uint32_t* minorP, uint32_t* buildP, uint32_t* platformP) {
  struct utsname names;
  unsigned major = 0, minor = 0, patch = 0;
  int ok = uname(&names) == 0 && sscanf(names.release, "%u.%u.%u", &major, &minor, &patch) >= 2;
  TRACE_LINE(TRC_GENERAL, "psGetOsVersion() rc = %d\n", ok);
  *majorP = major;
  *minorP = minor;
  *buildP = patch & 0xffff;
  *platformP = kPlatformFamily;
  return ok;
}

void psGetConsoleSize(int* rowsP, int* columnsP) {
  if (rowsP == nullptr || columnsP == nullptr) return;
  if (psStdoutRedirected()) {
    *rowsP = 9999;
    *columnsP = 9999;
    return;
  }
  struct winsize size = {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) size = {};
  *rowsP = size.ws_row > 0 ? size.ws_row - 1 : 23;
  *columnsP = size.ws_col > 0 ? size.ws_col - 1 : 79;
}

int psStdoutRedirected() {
  return isatty(STDOUT_FILENO) ? 0 : 1;
}

int psReadPassword(char* bufferP, int size) {
  if (size < 1) return 0;
  int capacity = size - 1;
  std::string text = isatty(STDIN_FILENO) ? readHiddenEntry(capacity) : readPlainLine(capacity);
  if (inputCancel().raised.load()) text.clear();
  memcpy(bufferP, text.c_str(), text.size() + 1);
  return inputCancel().raised.load() ? -1 : int(text.size());
}

int psWaitForEnterKey() {
  CRawTerminal raw(STDIN_FILENO);  // no effect when standard input is no terminal
  int key;
  while (!ended(key = readKey()) && key != PS_KEY_ENTER) {
  }
  return key == kCancelled ? -1 : 0;
}

void psCancelConsoleInput() {
  InputCancel& cancel = inputCancel();
  cancel.raised.store(true);
  if (cancel.pipe[1] >= 0 && write(cancel.pipe[1], "x", 1) < 0) {
    TRACE_LINE(TRC_GENERAL, "The console input cannot be woken, errno = %d\n", errno);
  }
}

void psRestoreConsole() {
  SavedTerminal& terminal = savedTerminal();
  std::lock_guard<std::mutex> hold(terminal.mutex);
  terminal.restored = true;
  if (!terminal.active) return;
  tcsetattr(terminal.fd, TCSANOW, &terminal.saved);
  terminal.active = false;
}

int psClearScreen() {
  return system("clear");
}

void psGetComputerName(char* bufferP, size_t size) {
  if (size == 0) return;
  bufferP[0] = '\0';
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return;
  size_t length = strcspn(host, ".");
  if (length > kComputerNameMax) length = kComputerNameMax;
  if (length + 1 > size) length = size - 1;
  for (size_t i = 0; i < length; i++) bufferP[i] = char(toupper((unsigned char)host[i]));
  bufferP[length] = '\0';
}
