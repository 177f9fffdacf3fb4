#include "codes.h"

#include <charconv>
#include <cstdio>

#include "hublorapi.h"

namespace hublor {
namespace {

// Reason codes share the table: pelkRCMsg gives a text for every value it may hand out.
constexpr CodeInfo kCodes[] = {
    {PELK_RC_OK, "PELK_RC_OK", 'I', "The call ended successfully."},
    {PELK_RS_ABORT_SYSTEM_ERROR, "PELK_RS_ABORT_SYSTEM_ERROR", 'E',
     "The server ended the transaction because of an error on the server."},
    {PELK_RC_NO_MATCH, "PELK_RC_NO_MATCH", 'W', "No object on the server matches the request."},
    {PELK_RS_ABORT_BY_CLIENT, "PELK_RS_ABORT_BY_CLIENT", 'I',
     "The transaction was ended by the client's abort vote."},
    {PELK_RS_ABORT_EXCEED_MAX_OBJ, "PELK_RS_ABORT_EXCEED_MAX_OBJ", 'E',
     "The transaction holds more objects than the node's limit per transaction."},
    {PELK_RC_MERGE_ERROR, "PELK_RC_MERGE_ERROR", 'E',
     "The rename cannot merge: the object under the new name is bound to another management "
     "class or copy destination."},
    {PELK_RC_PASSWORD_EXPIRED, "PELK_RC_PASSWORD_EXPIRED", 'E',
     "The node's password has expired; only a password change is allowed."},
    {PELK_RC_FINISHED, "PELK_RC_FINISHED", 'I', "The query or the object is finished."},
    {PELK_RC_FS_NOT_KNOWN, "PELK_RC_FS_NOT_KNOWN", 'W',
     "The filespace named in the query is not registered for this node."},
    {PELK_RC_BAD_PASSWORD, "PELK_RC_BAD_PASSWORD", 'E', "The password was refused by the server."},
    {PELK_RC_WILL_ABORT, "PELK_RC_WILL_ABORT", 'E',
     "The server will abort the current transaction."},
    {PELK_RC_EXCLUDED, "PELK_RC_EXCLUDED", 'W',
     "The server's policy excludes the object from backup."},
    {PELK_RC_NOT_SET_UP, "PELK_RC_NOT_SET_UP", 'E', "The interface has not been set up."},
    {PELK_RC_INVALID_HANDLE, "PELK_RC_INVALID_HANDLE", 'E', "The session handle is not valid."},
    {PELK_RC_NULL_POINTER, "PELK_RC_NULL_POINTER", 'E', "A required argument is missing."},
    {PELK_RC_BAD_VERSION, "PELK_RC_BAD_VERSION", 'E',
     "A record has a structure version that the interface does not support."},
    {PELK_RC_BAD_PARAMETER, "PELK_RC_BAD_PARAMETER", 'E', "An argument has an invalid value."},
    {PELK_RC_NAME_TOO_LONG, "PELK_RC_NAME_TOO_LONG", 'E', "A name or text is too long."},
    {PELK_RC_BAD_SEQUENCE, "PELK_RC_BAD_SEQUENCE", 'E',
     "The call is not allowed in the current state of the session."},
    {PELK_RC_NODE_UNKNOWN, "PELK_RC_NODE_UNKNOWN", 'E',
     "The node name is not registered on the server."},
    {PELK_RC_BAD_NAME, "PELK_RC_BAD_NAME", 'E',
     "The object name is empty, lacks its leading delimiter or holds a wildcard."},
    {PELK_RC_NEW_PASSWORD_INVALID, "PELK_RC_NEW_PASSWORD_INVALID", 'E',
     "The new password is not valid: 1 to 64 characters without blanks, different from the old."},
    {PELK_RC_FS_NOT_REGISTERED, "PELK_RC_FS_NOT_REGISTERED", 'E',
     "The object's filespace is not registered for this node."},
    {PELK_RC_MC_UNKNOWN, "PELK_RC_MC_UNKNOWN", 'E',
     "The management class is not defined on the server."},
    {PELK_RC_NO_BACKUP_CG, "PELK_RC_NO_BACKUP_CG", 'E',
     "The management class has no backup copy group."},
    {PELK_RC_DELETE_NOT_ALLOWED, "PELK_RC_DELETE_NOT_ALLOWED", 'E',
     "The node is not allowed to delete backup objects."},
    {PELK_RC_OBJ_UNAVAILABLE, "PELK_RC_OBJ_UNAVAILABLE", 'E',
     "The object's data is not available on the server: it is missing or damaged."},
    {PELK_RC_STORE_ERROR, "PELK_RC_STORE_ERROR", 'S', "The server's store reported an error."},
    {PELK_RC_OPTION_FILE, "PELK_RC_OPTION_FILE", 'E',
     "The client option file cannot be read or holds an invalid option."},
    {PELK_RC_BUFFER_TOO_SMALL, "PELK_RC_BUFFER_TOO_SMALL", 'E',
     "The caller's buffer is too small for the answer."},
    {PELK_RC_NOT_IN_LIST, "PELK_RC_NOT_IN_LIST", 'E',
     "The object is not in the rest of the retrieval list."},
    {PELK_RC_NAME_IN_USE, "PELK_RC_NAME_IN_USE", 'E',
     "An object of the new name exists; rename it with merge."},
    {PELK_RC_DOWNLEVEL_API, "PELK_RC_DOWNLEVEL_API", 'E',
     "The application needs a newer version of the interface library."},
    {PELK_RC_NOT_SUPPORTED, "PELK_RC_NOT_SUPPORTED", 'E',
     "The server does not offer this function."},
    {PELK_RC_FS_ALREADY_REGISTERED, "PELK_RC_FS_ALREADY_REGISTERED", 'W',
     "The filespace is already registered."},
    {PELK_RC_MORE_DATA, "PELK_RC_MORE_DATA", 'I', "More data follows."},
    {PELK_RC_CHECK_REASON, "PELK_RC_CHECK_REASON", 'E',
     "The transaction was aborted; the reason code tells why."},
};

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::span<const CodeInfo> allCodes() {
  return kCodes;
}

const CodeInfo* findCode(int code) {
  for (const CodeInfo& info : kCodes) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

std::optional<int> parseCode(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc() && end == text.data() + text.size()) return value;
  for (const CodeInfo& info : kCodes) {
    std::string_view name = info.name;
    if (name == text) return info.code;
    for (std::string_view prefix : {"PELK_RC_", "PELK_RS_"}) {
      if (startsWith(name, prefix) && name.substr(prefix.size()) == text) return info.code;
    }
  }
  return std::nullopt;
}

std::optional<std::string> codeMessage(int code) {
  const CodeInfo* info = findCode(code);
  if (info == nullptr) return std::nullopt;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "HUB%04d%c ", code, info->severity);
  return std::string(prefix) + info->text;
}

}  // namespace hublor
