// The steps that the registration request and the fetch of the automatic proxy script share:
// the failures of a transmission with their messages, the socket error table, the resolver,
// the connect and the reading of a reply. Every step writes its lines to the debug log
// (regDiag).
//
// Every failure is thrown as CRegException with id 219 (the connection-failure sequence) and
// the text of its message followed by string 219, one blank.
#pragma once

#include <cstdint>
#include <string>

#include "regsock.h"

// Message ids of the transmission.
enum RegTransportMessage {
  kMsgNoBrowser = 1500,
  kMsgNoNetscapeSettings = 1502,
  kMsgNoConnectionType = 1503,
  kMsgStartup = 1504,
  kMsgDns = 1505,
  kMsgSocket = 1506,
  kMsgConnect = 1507,
  kMsgSocks = 1509,
  kMsgReceive = 1510,
  kMsgNotPosted = 1511,
  kMsgTooManyRedirections = 1512,
  kMsgBadRedirection = 1513,
  kMsgTimedOut = 1530,
  kMsgCancelled = 245,
  kMsgTransportFailure = 219,
};

inline constexpr std::size_t kReceiveChunk = 4096;

// Throws the transmission failure whose text is `text`.
[[noreturn]] void regThrowTransport(const std::string& text);
// Throws the transmission failure with the text of message id.
[[noreturn]] void regThrowMessage(int id);
// Throws the failure of a step (its message id) that ended with socket error code: the table's
// own message for the codes it fixes; the step's message for the others, with the code in
// decimal for a code the table lacks. The debug log gets the text first.
[[noreturn]] void reportSocketError(int code, int stepId);
// The shown text of reportSocketError, without throwing.
std::string regSocketErrorText(int code, int stepId);

// A host name (it holds a letter) is looked up, anything else read as a dotted address: 0 with
// ip set; -1 for a bad dotted address; -2 for a failure worth one retry. Any other failure of
// the look-up throws message 1505.
int resolveHost(const std::string& name, std::uint32_t& ip);
// resolveHost with one retry; anything but success throws message 1505.
std::uint32_t regResolveOrThrow(const std::string& name);

// Opens the socket (message 1506) and connects it within the time-out (message 1507), logging
// the connect's result.
void regConnectOrThrow(CRegSocket& socket, std::uint32_t ip, std::uint16_t port, int timeout);
// Waits until the socket is readable: a failure goes through the table with stepId, a
// time-out throws message 1530.
void regWaitOrThrow(CRegSocket& socket, int timeout, int stepId);
// Reads the reply until the peer closes, in chunks of at most kReceiveChunk bytes, each wait
// bounded by the time-out; closes the socket. The bytes as they came, NUL bytes included.
std::string regReadReply(CRegSocket& socket, int timeout);
// A port text as a port in network byte order (its leading number; 0 for none).
std::uint16_t regPortOf(const std::string& portText);
