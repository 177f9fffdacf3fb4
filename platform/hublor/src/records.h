// Conversions between the interface's packed records and the server's own values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hublorapi.h"
#include "server.h"

namespace hublor {

pelkUint64_t toPelk64(uint64_t value);
uint64_t fromPelk64(const pelkUint64_t& value);

// A text held in a fixed field: none when no terminator lies within the field.
std::optional<std::string> fieldText(const char* field, size_t fieldSize);
// A text given by pointer: none when longer than maxLength.
std::optional<std::string> pointerText(const char* text, size_t maxLength);
// Copies text (cut to fit) and a terminator into a fixed field.
void copyField(char* field, size_t fieldSize, std::string_view text);

// Checks an object name as the server stores it: 0, PELK_RC_NAME_TOO_LONG or PELK_RC_BAD_NAME.
// Patterns (queries) may hold wildcards and need no delimiter.
struct ObjectName {
  std::string fs, hl, ll;
  int type = 0;
};
int readObjectName(const pelkObjName& name, bool pattern, ObjectName& out);

void fillBackupResponse(const Version& version, qryRespBackupData& out);
void fillFilespaceResponse(const Filespace& filespace, qryRespFSData& out);

}  // namespace hublor
