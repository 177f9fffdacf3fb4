// Parsing, checking and encoding of the message catalogue.
#include "catalogue.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <map>
#include <sstream>

namespace msgc {
namespace {

// Splits off the next blank-separated word of line at pos.
std::string nextWord(const std::string& line, size_t& pos) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  size_t start = pos;
  while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
  return line.substr(start, pos - start);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the quoted text at pos, resolving escapes. Only blanks may follow it.
bool readText(const std::string& line, size_t pos, std::string* textP, std::string* errorP) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  if (pos >= line.size() || line[pos] != '"')
    return *errorP = "the text must be in double quotes", false;
  std::string text;
  for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] != '\\') {
      text += line[pos];
      continue;
    }
    char e = ++pos < line.size() ? line[pos] : '\0';
    switch (e) {
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      case 'r':
        text += '\r';
        break;
      case '\\':
        text += '\\';
        break;
      case '"':
        text += '"';
        break;
      case 'x': {
        int hi = pos + 1 < line.size() ? hexValue(line[pos + 1]) : -1;
        int lo = pos + 2 < line.size() ? hexValue(line[pos + 2]) : -1;
        if (hi < 0 || lo < 0 || hi * 16 + lo == 0) return *errorP = "bad \\x escape", false;
        text += static_cast<char>(hi * 16 + lo);
        pos += 2;
        break;
      }
      default:
        return *errorP = std::string("unknown escape \\") + e, false;
    }
  }
  if (pos >= line.size()) return *errorP = "the text has no closing quote", false;
  for (++pos; pos < line.size(); ++pos) {
    if (line[pos] != ' ' && line[pos] != '\t')
      return *errorP = "text after the closing quote", false;
  }
  *textP = text;
  return true;
}

bool readNumber(const std::string& word, unsigned* numberP) {
  if (word.empty() || word.size() > 5 ||
      !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  unsigned long n = std::stoul(word);
  if (n < 1 || n > 65535) return false;
  *numberP = static_cast<unsigned>(n);
  return true;
}

bool readInserts(const std::string& word, std::vector<NlsArgType>* insertsP, std::string* errorP) {
  insertsP->clear();
  if (word == "-") return true;
  size_t start = 0;
  while (start <= word.size()) {
    size_t end = std::min(word.find(',', start), word.size());
    NlsArgType t = nlsArgTypeOf(word.data() + start, end - start);
    if (t == NLS_ARG_NONE)
      return *errorP = "unknown insert type '" + word.substr(start, end - start) + "'", false;
    insertsP->push_back(t);
    start = end + 1;
  }
  return true;
}

bool parseLine(const std::string& line, Message* msgP, std::string* errorP) {
  size_t pos = 0;
  std::string number = nextWord(line, pos);
  std::string severity = nextWord(line, pos);
  std::string response = nextWord(line, pos);
  std::string inserts = nextWord(line, pos);
  if (!readNumber(number, &msgP->number))
    return *errorP = "the message number must be 1 to 65535", false;
  int sev = severity.size() == 1 ? nlsSeverityOf(severity[0]) : -1;
  if (sev < 0 || sev > static_cast<int>(NLS_SEVERITY_MAX))
    return *errorP = "the severity must be one of ZTRKIWES", false;
  msgP->severity = static_cast<unsigned>(sev);
  if (response.empty()) return *errorP = "the response is missing", false;
  msgP->response = response == "-" ? "" : response;
  if (msgP->response.size() > NLS_RESPONSE_MAX)
    return *errorP = "the response is longer than 7 characters", false;
  if (!readInserts(inserts, &msgP->inserts, errorP)) return false;
  return readText(line, pos, &msgP->text, errorP);
}

struct Conversion {
  size_t at;  // offset of the '%'
  NlsConversion conv;
};

bool scanConversions(const std::string& text, std::vector<Conversion>* convsP,
                     std::string* errorP) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    Conversion c{i, {}};
    const char* why = nullptr;
    if (nlsParseConversion(text.c_str() + i, &c.conv, &why) != 0) {
      return *errorP = "conversion at column " + std::to_string(i + 1) + ": " + why, false;
    }
    if (c.conv.type != NLS_ARG_NONE) convsP->push_back(c);
    i += c.conv.length - 1;
  }
  return true;
}

std::string typeList(const std::vector<NlsArgType>& types) {
  std::string s = insertTypeNames(types);
  return s.empty() ? "-" : s;
}

// A plain printf format: its arguments, "*" widths included, are the inserts in order.
bool checkPlain(const Message& msg, const std::vector<Conversion>& convs, std::string* errorP) {
  std::vector<NlsArgType> wanted;
  for (const Conversion& c : convs) {
    wanted.insert(wanted.end(), c.conv.starWidths, NLS_ARG_INT);
    wanted.push_back(c.conv.type);
  }
  if (wanted == msg.inserts) return true;
  *errorP = "the text takes " + typeList(wanted) + " but the inserts are " + typeList(msg.inserts);
  return false;
}

// Pieces of the reordering form are printed as they stand: "%%" becomes "%".
std::string literalPiece(const std::string& text, size_t from, size_t to) {
  std::string piece;
  for (size_t i = from; i < to; ++i) {
    piece += text[i];
    if (text[i] == '%' && i + 1 < to && text[i + 1] == '%') ++i;
  }
  return piece;
}

uint8_t kindOf(NlsArgType t) {
  if (t == NLS_ARG_DOUBLE) return NLS_KIND_DOUBLE;
  if (t == NLS_ARG_STR) return NLS_KIND_TEXT;
  if (t == NLS_ARG_PTR) return NLS_KIND_POINTER;
  return NLS_KIND_INTEGER;
}

// Every conversion numbered: insert k is the k-th conversion of the text, argument N$ its value.
bool encodeNumbered(const Message& msg, const std::vector<Conversion>& convs, std::string* encodedP,
                    std::string* errorP) {
  size_t n = convs.size();
  std::vector<int> insertOfArg(n, -1);
  for (size_t k = 0; k < n; ++k) {
    const NlsConversion& c = convs[k].conv;
    if (c.position == 0 || c.starWidths != 0) {
      return *errorP = "a numbered text needs every conversion numbered and no \"*\" width", false;
    }
    if (c.position > n || insertOfArg[c.position - 1] >= 0) {
      return *errorP = "the numbered conversions must use 1 to " + std::to_string(n) + " once each",
             false;
    }
    insertOfArg[c.position - 1] = static_cast<int>(k);
  }
  if (n != msg.inserts.size() || n > NLS_INSERTS_MAX) {
    return *errorP = "the text has " + std::to_string(n) + " inserts but " +
                     std::to_string(msg.inserts.size()) + " are declared",
           false;
  }
  std::string out(1, '\0');
  out += static_cast<char>(n);
  for (int k : insertOfArg) out += static_cast<char>(k);
  for (const Conversion& cv : convs) {
    if (cv.conv.type != msg.inserts[cv.conv.position - 1]) {
      return *errorP = "insert " + std::to_string(cv.conv.position) + " is declared " +
                       nlsArgTypeName(msg.inserts[cv.conv.position - 1]) +
                       " but its conversion takes " + nlsArgTypeName(cv.conv.type),
             false;
    }
    std::string conv = msg.text.substr(cv.at, cv.conv.length);
    conv.erase(1, conv.find('$'));  // "%2$-8s" -> "%-8s"
    out += '\0';
    out += static_cast<char>(kindOf(cv.conv.type));
    out += conv;
    out += '\0';
  }
  size_t from = 0;
  for (const Conversion& cv : convs) {
    out += literalPiece(msg.text, from, cv.at) + '\0';
    from = cv.at + cv.conv.length;
  }
  out += literalPiece(msg.text, from, msg.text.size()) + '\0';
  *encodedP = out;
  return true;
}

void putU16(std::string& b, size_t at, unsigned v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::string encodeRecord(const Message& msg, const std::string& text) {
  std::string rec;
  size_t at = 0;
  do {
    size_t len = std::min<size_t>(text.size() - at, NLS_SEGMENT_TEXT_MAX);
    bool more = at + len < text.size();
    std::string response = more ? "" : msg.response;
    NlsSegmentHeader h{static_cast<unsigned>(len), static_cast<unsigned>(response.size()),
                       msg.severity, more};
    std::string hdr(2, '\0');
    putU16(hdr, 0, nlsEncodeSegmentHeader(h));
    rec += hdr + response + text.substr(at, len);
    at += len;
  } while (at < text.size());
  return rec;
}

}  // namespace

std::string insertTypeNames(const std::vector<NlsArgType>& types) {
  std::string s;
  for (NlsArgType t : types) s += (s.empty() ? "" : ",") + std::string(nlsArgTypeName(t));
  return s;
}

bool parseCatalogue(std::istream& in, const std::string& name, std::vector<Message>* messagesP,
                    std::vector<std::string>* errorsP) {
  std::map<unsigned, int> seen;
  std::string line;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    Message msg;
    msg.line = lineNo;
    std::string error, encoded;
    std::string where = name + ":" + std::to_string(lineNo) + ": ";
    if (!parseLine(line, &msg, &error) || !encodeText(msg, &encoded, &error)) {
      errorsP->push_back(where + error);
      continue;
    }
    auto [it, fresh] = seen.emplace(msg.number, lineNo);
    if (!fresh) {
      errorsP->push_back(where + "message " + std::to_string(msg.number) +
                         " is already defined on line " + std::to_string(it->second));
      continue;
    }
    messagesP->push_back(msg);
  }
  std::sort(messagesP->begin(), messagesP->end(),
            [](const Message& a, const Message& b) { return a.number < b.number; });
  return errorsP->empty();
}

bool encodeText(const Message& msg, std::string* encodedP, std::string* errorP) {
  std::vector<Conversion> convs;
  if (!scanConversions(msg.text, &convs, errorP)) return false;
  bool numbered = std::any_of(convs.begin(), convs.end(),
                              [](const Conversion& c) { return c.conv.position != 0; });
  if (numbered) {
    if (!encodeNumbered(msg, convs, encodedP, errorP)) return false;
  } else {
    if (!checkPlain(msg, convs, errorP)) return false;
    *encodedP = msg.text;
  }
  size_t prefix = msg.severity >= NLS_SEVERITY_PREFIX ? NLS_PREFIX_LEN : 0;
  if (prefix + encodedP->size() > NLS_MSG_MAX - 1) {
    return *errorP = "the text is longer than a message may be (" +
                     std::to_string(NLS_MSG_MAX - 1 - prefix) + " bytes)",
           false;
  }
  return true;
}

bool buildRepository(const std::vector<Message>& messages, std::string* bytesP,
                     std::string* errorP) {
  unsigned highest = messages.empty() ? 0 : messages.back().number;
  size_t indexEnd = NLS_BLOCK_SIZE + 2 * static_cast<size_t>(highest);
  std::string file((indexEnd + NLS_BLOCK_SIZE - 1) / NLS_BLOCK_SIZE * NLS_BLOCK_SIZE, '\0');
  for (int i = 0; i < 4; ++i) file[i] = static_cast<char>((NLS_CONTROL_WORD >> (8 * i)) & 0xFF);
  putU16(file, 4, highest);  // not read by the agent; a help for whoever inspects the file
  for (const Message& msg : messages) {
    std::string text, error;
    if (!encodeText(msg, &text, &error))
      return *errorP = "message " + std::to_string(msg.number) + ": " + error, false;
    size_t block = file.size() / NLS_BLOCK_SIZE + 1;
    if (block > 0xFFFF)
      return *errorP = "the repository would be larger than its index can address", false;
    putU16(file, NLS_BLOCK_SIZE + 2 * (msg.number - 1), static_cast<unsigned>(block));
    file += encodeRecord(msg, text);
    file.resize((file.size() + NLS_BLOCK_SIZE - 1) / NLS_BLOCK_SIZE * NLS_BLOCK_SIZE, '\0');
  }
  *bytesP = file;
  return true;
}

std::string insertTableSource(const std::vector<Message>& messages) {
  std::string source =
      "// Made by msgcompile from the message catalogue: the inserts the callers of each message\n"
      "// pass, so that a text in the repository that does not take them is never expanded.\n"
      "#include <cstddef>\n\n#include \"msgformat.h\"\n\n"
      "extern const NlsInsertDecl nlsAgentInserts[];\n"
      "extern const size_t nlsAgentInsertCount;\n\n"
      "const NlsInsertDecl nlsAgentInserts[] = {\n";
  for (const Message& msg : messages) {
    source +=
        "    {" + std::to_string(msg.number) + ", \"" + insertTypeNames(msg.inserts) + "\"},\n";
  }
  source += "};\nconst size_t nlsAgentInsertCount = " + std::to_string(messages.size()) + ";\n";
  return source;
}

}  // namespace msgc
