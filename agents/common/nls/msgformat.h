// The binary layout of the message repository, shared by the agent, which reads it, and by the
// message compiler (tools/msgcompile), which writes it at build time. Also the one parser of
// printf conversions that both use: the compiler to check a text against its declared inserts,
// the agent to take each insert's argument with the type its conversion names.
//
// Repository file (little-endian), read in 64-byte blocks:
//   block 1 (bytes 0-63)   header; its first 32-bit word is NLS_CONTROL_WORD
//   64 + 2(n - 1)          16-bit index of message n: the block (counted from 1) where its
//                          record starts; 0 when the message is missing
//   (index - 1) x 64       the record: segments, each a 16-bit header, the response string
//                          and the text; the texts of all segments are joined
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t NLS_CONTROL_WORD = 0x56335231;
constexpr unsigned NLS_BLOCK_SIZE = 64;
// A message with its prefix and inserts is at most NLS_MSG_MAX - 1 characters.
constexpr unsigned NLS_MSG_MAX = 3584;
constexpr unsigned NLS_PREFIX_LEN = 9;  // "ZUD" + four digits + severity letter + blank
constexpr unsigned NLS_SEGMENT_TEXT_MAX = 511;
constexpr unsigned NLS_RESPONSE_MAX = 7;
constexpr unsigned NLS_SEVERITY_MAX = 7;
// Severities from NLS_SEVERITY_PREFIX up carry the prefix; from NLS_SEVERITY_LOGGED up the
// logging operations also write the message to the activity log.
constexpr unsigned NLS_SEVERITY_PREFIX = 3;
constexpr unsigned NLS_SEVERITY_LOGGED = 5;
constexpr const char NLS_SEVERITY_LETTERS[] = "ZTRKIWESL";
constexpr const char NLS_MSG_PREFIX[] = "ZUD";
// The largest width or precision a conversion may name in digits: no insert is wider than a
// message.
constexpr unsigned NLS_WIDTH_MAX = NLS_MSG_MAX;
// Inserts of one message in the reordering form (a byte counts them).
constexpr unsigned NLS_INSERTS_MAX = 255;

// Value kinds of an insert descriptor in the reordering form. The argument's real type is
// always taken from the insert's conversion; the kind only says what the compiler saw.
enum NlsValueKind : uint8_t {
  NLS_KIND_INTEGER = 0,
  NLS_KIND_TEXT = 1,
  NLS_KIND_POINTER = 2,
  NLS_KIND_DOUBLE = 3,
};

struct NlsSegmentHeader {
  unsigned textLen;      // bits 0-8
  unsigned responseLen;  // bits 9-11
  unsigned severity;     // bits 12-14
  bool more;             // bit 15: another segment follows
};

uint16_t nlsEncodeSegmentHeader(const NlsSegmentHeader& h);
NlsSegmentHeader nlsDecodeSegmentHeader(uint16_t word);

// Severity letter for 0-8, '?' beyond; severity value of a letter, -1 when it is none.
char nlsSeverityLetter(unsigned severity);
int nlsSeverityOf(char letter);

// The C type an argument must have for a conversion. Integers narrower than int travel as int.
enum NlsArgType {
  NLS_ARG_NONE = 0,  // "%%": no argument
  NLS_ARG_INT,
  NLS_ARG_UINT,
  NLS_ARG_LONG,
  NLS_ARG_ULONG,
  NLS_ARG_LLONG,
  NLS_ARG_ULLONG,
  NLS_ARG_SIZE,
  NLS_ARG_DOUBLE,
  NLS_ARG_STR,
  NLS_ARG_PTR,
  NLS_ARG_CHAR,
};

// Name of a type as the catalogue writes it ("int", "str", ...); null for NLS_ARG_NONE.
const char* nlsArgTypeName(NlsArgType type);
// The inserts the callers of a message pass, as the catalogue declares them: the type names
// joined by commas ("int,uint"), "" for none. Tables of these are sorted by number.
struct NlsInsertDecl {
  uint16_t number;
  const char* types;
};

// Type of a catalogue name; NLS_ARG_NONE when the name is unknown.
NlsArgType nlsArgTypeOf(const char* name, size_t len);

// One conversion starting at a '%'.
struct NlsConversion {
  size_t length;        // characters from the '%' to the conversion letter, inclusive
  unsigned position;    // the N of "%N$", 0 when the conversion is not numbered
  unsigned starWidths;  // "*" width and precision arguments taken before the value (0-2)
  bool starNumbered;    // a "*" carries its own "N$" (not supported by the agent)
  NlsArgType type;      // NLS_ARG_NONE for "%%"
};

// Parses the conversion at textP (which points at a '%'). Returns 0 and fills convP, or -1
// with errorP naming the fault (an unknown or unsafe conversion such as "%n", or a width or
// precision above NLS_WIDTH_MAX).
int nlsParseConversion(const char* textP, NlsConversion* convP, const char** errorP);
