// The message catalogue: its text source, the checks that each message passes, and the binary
// message repository built from it (layout in agents/common/nls/msgformat.h).
//
// Source: one message a line; blank lines and lines starting with '#' are skipped.
//   number  severity  response  inserts  "text"
//   number    1 to 65535, each at most once
//   severity  one letter of Z T R K I W E S
//   response  the response string, at most 7 characters; "-" for none
//   inserts   the argument types in the order a caller passes them, separated by commas
//             (int uint long ulong llong ullong size double str ptr char); "-" for none
//   text      in double quotes, with the escapes \n \t \r \\ \" and \xHH (not \x00); either a
//             printf format whose conversions take the inserts in order ("*" widths are int
//             inserts of their own), or a text whose every conversion is numbered ("%2$s"),
//             so that a translation can reorder them
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "msgformat.h"

namespace msgc {

struct Message {
  unsigned number = 0;
  unsigned severity = 0;
  std::string response;
  std::vector<NlsArgType> inserts;
  std::string text;  // escapes resolved
  int line = 0;      // in the source, for error reports
};

// Parses a whole source. Every fault goes to errorsP as "name:line: what"; the result is true
// when there was none.
bool parseCatalogue(std::istream& in, const std::string& name, std::vector<Message>* messagesP,
                    std::vector<std::string>* errorsP);

// Checks the text's conversions against the declared inserts and gives the text as stored in
// the repository: the printf format itself, or the reordering form (first byte 0). Returns
// false with errorP set when they do not match or the text is too long.
bool encodeText(const Message& msg, std::string* encodedP, std::string* errorP);

// The repository file's bytes for checked messages (sorted by number, each encodable).
// Returns false with errorP set when the file would need more blocks than an index can name.
bool buildRepository(const std::vector<Message>& messages, std::string* bytesP,
                     std::string* errorP);

// The inserts as NlsInsertDecl names them: type names joined by commas, "" for none.
std::string insertTypeNames(const std::vector<NlsArgType>& types);

// A C++ source that defines the agent's table of what each message's callers pass:
// `const NlsInsertDecl nlsAgentInserts[]` in number order and `nlsAgentInsertCount`.
std::string insertTableSource(const std::vector<Message>& messages);

}  // namespace msgc
