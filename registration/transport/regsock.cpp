#include "regsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

struct ErrnoRow {
  int err;
  int wsa;
};

constexpr ErrnoRow kErrnoRows[] = {
    {EINTR, regwsa::kIntr},
    {EACCES, regwsa::kAccess},
    {EPERM, regwsa::kAccess},
    {EFAULT, regwsa::kFault},
    {EINVAL, regwsa::kInvalid},
    {EMFILE, regwsa::kTooManyFiles},
    {ENFILE, regwsa::kTooManyFiles},
    {EAGAIN, regwsa::kWouldBlock},
    {EINPROGRESS, regwsa::kInProgress},
    {EALREADY, regwsa::kAlready},
    {ENOTSOCK, regwsa::kNotSocket},
    {EPROTOTYPE, regwsa::kProtocolType},
    {EPROTONOSUPPORT, regwsa::kNoProtocol},
    {ESOCKTNOSUPPORT, regwsa::kSocketType},
    {EAFNOSUPPORT, regwsa::kFamily},
    {EADDRINUSE, regwsa::kAddressInUse},
    {EADDRNOTAVAIL, regwsa::kAddressNotAvailable},
    {ENETDOWN, regwsa::kNetDown},
    {ENETUNREACH, regwsa::kNetUnreachable},
    {ECONNABORTED, regwsa::kConnectionAborted},
    {ECONNRESET, regwsa::kConnectionReset},
    {EPIPE, regwsa::kShutDown},
    {ENOBUFS, regwsa::kNoBuffers},
    {ENOMEM, regwsa::kNoBuffers},
    {EISCONN, regwsa::kConnected},
    {ENOTCONN, regwsa::kNotConnected},
    {ETIMEDOUT, regwsa::kTimedOut},
    {ECONNREFUSED, regwsa::kRefused},
    {EHOSTUNREACH, regwsa::kHostUnreachable},
};

int millis(int timeoutSeconds) {
  return timeoutSeconds <= 0 ? 0 : timeoutSeconds * 1000;
}

int resolverError(int rc) {
  switch (rc) {
    case EAI_NONAME:
      return regwsa::kHostNotFound;
    case EAI_AGAIN:
      return regwsa::kTryAgain;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return regwsa::kNoData;
#endif
    case EAI_MEMORY:
      return regwsa::kNoBuffers;
    case EAI_SYSTEM:
      return regSockError(errno);
    default:
      return regwsa::kNoRecovery;
  }
}

}  // namespace

int regSockError(int err) {
  for (const ErrnoRow& row : kErrnoRows) {
    if (row.err == err) return row.wsa;
  }
  return err;
}

CRegCancel::CRegCancel() {
  if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) m_pipe[0] = m_pipe[1] = -1;
}

CRegCancel::~CRegCancel() {
  for (int fd : m_pipe) {
    if (fd >= 0) ::close(fd);
  }
}

void CRegCancel::raise() {
  m_raised.store(true);
  char byte = 1;
  if (m_pipe[1] >= 0) (void)!::write(m_pipe[1], &byte, 1);
}

bool CRegCancel::wait(int ms) const {
  pollfd fd{m_pipe[0], POLLIN, 0};
  if (!raised()) ::poll(&fd, 1, ms);
  return raised();
}

int CRegSocket::open() {
  close();
  m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return m_fd < 0 ? static_cast<int>(fail()) : 0;
}

long CRegSocket::fail() {
  m_lastError = regSockError(errno);
  return -1;
}

int CRegSocket::waitFor(short events, int timeoutSeconds) {
  pollfd fds[2] = {{m_fd, events, 0}, {m_cancelP != nullptr ? m_cancelP->fd() : -1, POLLIN, 0}};
  if (m_cancelP != nullptr && m_cancelP->raised()) {
    m_lastError = regwsa::kIntr;
    return -1;
  }
  int rc = ::poll(fds, 2, millis(timeoutSeconds));
  if (rc < 0) return static_cast<int>(fail());
  if (fds[1].revents != 0) {
    m_lastError = regwsa::kIntr;
    return -1;
  }
  return rc == 0 ? 0 : 1;
}

int CRegSocket::connect(std::uint32_t ip, std::uint16_t port, int timeoutSeconds) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = port;
  address.sin_addr.s_addr = ip;
  int flags = ::fcntl(m_fd, F_GETFL);
  if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) < 0) return static_cast<int>(fail());
  if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno != EINPROGRESS) return static_cast<int>(fail());
    int ready = waitFor(POLLOUT, timeoutSeconds);
    if (ready < 0) return -1;
    if (ready == 0) {
      m_lastError = regwsa::kTimedOut;
      return -1;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
      return static_cast<int>(fail());
    }
    if (error != 0) {
      m_lastError = regSockError(error);
      return -1;
    }
  }
  if (::fcntl(m_fd, F_SETFL, flags) < 0) return static_cast<int>(fail());
  return 0;
}

long CRegSocket::send(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t sent = ::send(m_fd, bytes + done, size - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0) return fail();
    done += static_cast<std::size_t>(sent);
  }
  return static_cast<long>(done);
}

int CRegSocket::waitReadable(int timeoutSeconds) {
  return waitFor(POLLIN, timeoutSeconds);
}

long CRegSocket::recv(void* buffer, std::size_t size) {
  ssize_t got = 0;
  do {
    got = ::recv(m_fd, buffer, size, 0);
  } while (got < 0 && errno == EINTR);
  return got < 0 ? fail() : static_cast<long>(got);
}

void CRegSocket::close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

int regLookUpHost(const std::string& name, std::uint32_t& ip) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (rc != 0) return resolverError(rc);
  ip = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(list);
  return 0;
}
