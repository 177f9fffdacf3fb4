// The wizard's sockets: IPv4 stream sockets over POSIX, reporting failures with the Windows
// socket error numbers that the wizard's messages are keyed by (regSockError maps errno, and
// regLookUpHost the resolver's answers). Every wait, the connect's included, is bounded by a
// time-out in whole seconds and ends early when the socket's cancel is raised.
//
// Threads: a socket is used by one thread; its cancel may be raised from any other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// Windows socket error numbers.
namespace regwsa {
inline constexpr int kIntr = 10004;
inline constexpr int kAccess = 10013;
inline constexpr int kFault = 10014;
inline constexpr int kInvalid = 10022;
inline constexpr int kTooManyFiles = 10024;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kInProgress = 10036;
inline constexpr int kAlready = 10037;
inline constexpr int kNotSocket = 10038;
inline constexpr int kProtocolType = 10041;
inline constexpr int kNoProtocol = 10043;
inline constexpr int kSocketType = 10044;
inline constexpr int kFamily = 10047;
inline constexpr int kAddressInUse = 10048;
inline constexpr int kAddressNotAvailable = 10049;
inline constexpr int kNetDown = 10050;
inline constexpr int kNetUnreachable = 10051;
inline constexpr int kConnectionAborted = 10053;
inline constexpr int kConnectionReset = 10054;
inline constexpr int kNoBuffers = 10055;
inline constexpr int kConnected = 10056;
inline constexpr int kNotConnected = 10057;
inline constexpr int kShutDown = 10058;
inline constexpr int kTimedOut = 10060;
inline constexpr int kRefused = 10061;
inline constexpr int kHostUnreachable = 10065;
inline constexpr int kNotInitialised = 10093;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTryAgain = 11002;
inline constexpr int kNoRecovery = 11003;
inline constexpr int kNoData = 11004;
}  // namespace regwsa

// The Windows number of an errno value; a value without one is returned as it is.
int regSockError(int err);

// Raised once, from any thread: every wait of the sockets that watch it ends with regwsa::kIntr.
class CRegCancel {
 public:
  CRegCancel();
  ~CRegCancel();
  CRegCancel(const CRegCancel&) = delete;
  CRegCancel& operator=(const CRegCancel&) = delete;
  void raise();
  bool raised() const { return m_raised.load(); }
  // Waits ms milliseconds, or less when raised; true when raised.
  bool wait(int ms) const;
  int fd() const { return m_pipe[0]; }

 private:
  int m_pipe[2] = {-1, -1};
  std::atomic<bool> m_raised{false};
};

class CRegSocket {
 public:
  // cancelP (may be null) must outlive the socket.
  explicit CRegSocket(const CRegCancel* cancelP = nullptr) : m_cancelP(cancelP) {}
  ~CRegSocket() { close(); }
  CRegSocket(const CRegSocket&) = delete;
  CRegSocket& operator=(const CRegSocket&) = delete;

  // A new IPv4 stream socket: 0, or -1 (lastError).
  int open();
  // Connects to the address and port (both in network byte order) within timeoutSeconds:
  // 0, or -1 (lastError; kTimedOut when the time ran out).
  int connect(std::uint32_t ip, std::uint16_t port, int timeoutSeconds);
  // Sends all of the bytes: their count, or -1 (lastError).
  long send(const void* data, std::size_t size);
  // Waits until data or the peer's close can be read: 1, 0 when timeoutSeconds passed (0: a
  // poll), -1 on a failure or a cancel (lastError).
  int waitReadable(int timeoutSeconds);
  // Receives at most size bytes: their count, 0 at the peer's close, -1 (lastError).
  long recv(void* buffer, std::size_t size);
  void close();
  int lastError() const { return m_lastError; }

 private:
  // poll for events on the socket and the cancel: 1, 0 on time-out, -1 (lastError).
  int waitFor(short events, int timeoutSeconds);
  long fail();

  const CRegCancel* m_cancelP;
  int m_fd = -1;
  int m_lastError = 0;
};

// The first IPv4 address of a host name (network byte order): 0, or kHostNotFound, kTryAgain,
// kNoRecovery, kNoData, or a socket error for a failure of the system.
int regLookUpHost(const std::string& name, std::uint32_t& ip);
