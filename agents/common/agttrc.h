// The trace: the engine's diagnostic record.
//
// One process-wide object, gTrace, with 26 category flags, a trace file (append mode,
// unbuffered) and a table of per-thread line headers, so that the two halves of a line (header,
// then text) may be written by two calls while other threads trace in between. While tracing is
// active and no file is open, each piece goes to the front end's echo hook instead.
//
// A trace site tests isOn(category) and only then writes header() and printf(); the macros
// below do exactly that, so an untraced site costs three word loads and no call.
//
// Concurrency: any thread traces. m_HeaderMutex guards the header table; m_FileMutex guards the
// file; open and close hold both, so the file may be switched while other threads trace.
// Lock order: m_HeaderMutex before m_FileMutex. The flags, m_Active and m_ToFile are atomic
// words read without a lock.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "psthread.h"

// Trace categories, by index; TraceKeyword gives the option keyword of each.
enum TraceCategory {
  TRC_SORTLINKEDLIST = 0,
  TRC_PERFORMANCE = 1,
  TRC_LINKEDLIST = 2,
  TRC_BUFFRING = 3,
  TRC_FILEOPS = 4,
  TRC_GENERAL = 5,
  TRC_CONFIG = 6,
  TRC_THREAD = 7,
  TRC_EVENT = 8,
  TRC_MUTEX = 9,
  TRC_PARSE = 10,
  TRC_ALL = 11,
  TRC_DETAILED = 12,
  TRC_API = 13,
  TRC_CMD = 14,
  TRC_ENGINE = 15,
  TRC_ERI = 16,
  TRC_GUI = 17,
  TRC_MEMORY = 18,
  TRC_NLS = 19,
  TRC_PCM = 20,
  TRC_SQLAPI = 25,
  TRC_NUM_CATEGORIES = 26,
  TRC_OFF = -1  // never on: a site that must not trace (the trace's own mutexes)
};

// One keyword of the TRACEFLags option; its capital letters are the shortest abbreviation.
struct TraceKeyword {
  const char* keywordP;
  int category;
};
extern const TraceKeyword gTraceKeywords[];
extern const int gTraceKeywordCount;

// The front end's echo hook: receives each piece of a line (a header or a text) while tracing
// is active and no trace file is open. Null drops the pieces (the windowed program's choice).
typedef void (*TraceEchoRtn)(const char* textP);
extern std::atomic<TraceEchoRtn> gTraceEchoP;
// The command-line program's echo hook: writes the piece to standard output as it is.
void traceEcho(const char* textP);

// A header slot: free when its text's first byte is 0.
struct TraceHeaderSlot {
  psThreadId threadId;
  char* textP;
};

constexpr int TRC_HEADER_SIZE = 100;     // one header with its terminator
constexpr int TRC_TEXT_SIZE = 4096;      // one formatted text with its terminator
constexpr int TRC_FILE_NAME_SIZE = 260;  // the trace file's name with its terminator

class CTrace {
 public:
  CTrace();
  ~CTrace();
  CTrace(const CTrace&) = delete;
  CTrace& operator=(const CTrace&) = delete;

  // Opens (or switches to) the trace file and writes the banner; an empty name traces to the
  // echo hook. Returns 0, 406 (file cannot be opened) or 421 (no memory for the header table).
  int open(const char* nameP);
  // Sets category `index` (0..25) to `value`; TRC_ALL and TRC_DETAILED set groups. Returns 0.
  int setFlag(int index, int value);
  bool isOn(int category) const {
    const std::atomic<int32_t>* flagsP = m_FlagsP;
    return category >= 0 && flagsP != nullptr && m_Active.load(std::memory_order_relaxed) != 0 &&
           flagsP[category].load(std::memory_order_relaxed) != 0;
  }
  // First half of a line: the caller's source path and line.
  void header(const char* fileP, int line);
  // Second half of a line: the text, written after this thread's pending header.
  void printf(const char* formatP, ...) __attribute__((format(printf, 2, 3)));
  void vprintf(const char* formatP, va_list args);
  // Dumps `length` bytes in `mode` 0..4 (2: hex, 3: hex in groups of four bytes).
  void hexDump(const void* dataP, int length, int mode);
  // Closes the trace file (if any) and stops tracing, echo included, until the next open.
  void close();

  // Slots in the header table (for diagnostics and tests).
  int headerSlotCount();

 private:
  int openFile(const char* nameP);
  int growHeaderTable(int extraSlots);
  void freeHeaderTable();
  void writeBanner();
  void writeFile(const char* textP, size_t length);
  void echo(const char* textP);

  std::atomic<int32_t>* m_FlagsP;
  std::atomic<int32_t> m_Flags[TRC_NUM_CATEGORIES];
  std::atomic<int32_t> m_Active;
  std::atomic<int32_t> m_ToFile;
  FILE* m_TraceFileP;                        // guarded by m_FileMutex
  char m_TraceFileName[TRC_FILE_NAME_SIZE];  // guarded by m_HeaderMutex and m_FileMutex
  psMutex m_FileMutex;
  psMutex m_HeaderMutex;
  int32_t m_NumHeaderSlots;         // guarded by m_HeaderMutex
  TraceHeaderSlot* m_HeaderSlotsP;  // guarded by m_HeaderMutex
};

extern CTrace gTrace;

// How a traced function's exit line reads.
enum class TraceExitForm : uint8_t {
  kCode,         // "Exit %s, rc = %d" after a traced return, "Exit %s" without one
  kSuccessOnly,  // "Exit %s" unless a traced return gave a failure (not 0): then no exit line
};

// The entry and exit lines of a module that words them its own way; the guard writes each line's
// header, then calls the routine for its text. The exit routine gets the returned code (0 when
// the function returned none through the guard) and the context the guard was given.
struct TraceFrame {
  void (*enterRtn)(const char* nameP, const void* contextP);
  void (*exitRtn)(const char* nameP, int rc, const void* contextP);
};

// The guard of a traced function: writes "Enter %s\n" on construction (or "Enter %s" and the
// arguments' text) and the exit line on destruction, each only while the category is on.
// A module's own frame (TraceFrame) replaces both lines.
class CTraceFunction {
 public:
  CTraceFunction(int category, const char* nameP, const char* fileP, int line,
                 TraceExitForm form = TraceExitForm::kCode)
      : m_Category(category), m_NameP(nameP), m_FileP(fileP), m_Line(line), m_Form(form) {
    if (gTrace.isOn(category)) enter("\n");
  }
  // The entry line goes on with the arguments' text: argsFormatP starts with its own separator
  // from the name and ends with "\n".
  CTraceFunction(int category, const char* nameP, const char* fileP, int line,
                 const char* argsFormatP, ...) __attribute__((format(printf, 6, 7)));
  // The entry and exit lines in the words of `frame`, which is handed `contextP`.
  CTraceFunction(int category, const char* nameP, const char* fileP, int line,
                 const TraceFrame& frame, const void* contextP)
      : m_Category(category),
        m_NameP(nameP),
        m_FileP(fileP),
        m_Line(line),
        m_Form(TraceExitForm::kCode),
        m_FrameP(&frame),
        m_ContextP(contextP) {
    if (gTrace.isOn(category)) enter("\n");
  }
  ~CTraceFunction() {
    if (gTrace.isOn(m_Category)) leave();
  }
  CTraceFunction(const CTraceFunction&) = delete;
  CTraceFunction& operator=(const CTraceFunction&) = delete;
  // Records the function's return code for the exit line and hands it back.
  int exit(int rc, int line) { return exitAs("rc", rc, line); }
  // The same with the value named otherwise than "rc" in the exit line.
  int exitAs(const char* labelP, int value, int line) {
    m_LabelP = labelP;
    m_Rc = value;
    m_HasRc = true;
    m_Line = line;
    return value;
  }

 private:
  void enter(const char* argsTextP);
  void leave();

  int m_Category;
  const char* m_NameP;
  const char* m_FileP;
  int m_Line;
  TraceExitForm m_Form;
  const char* m_LabelP = "rc";
  int m_Rc = 0;
  bool m_HasRc = false;
  const TraceFrame* m_FrameP = nullptr;
  const void* m_ContextP = nullptr;
};

// One trace line: header and text, only while the category is on.
#define TRACE_LINE(category, ...)        \
  do {                                   \
    if (gTrace.isOn(category)) {         \
      gTrace.header(__FILE__, __LINE__); \
      gTrace.printf(__VA_ARGS__);        \
    }                                    \
  } while (0)

// Traces the entry of the enclosing function now and its exit when the scope ends.
#define TRACE_ENTRY(category, name) CTraceFunction trcFunction_(category, name, __FILE__, __LINE__)
// The same with the exit line in the given form (TraceExitForm).
#define TRACE_ENTRY_FORM(category, name, form) \
  CTraceFunction trcFunction_(category, name, __FILE__, __LINE__, form)
// The same with the arguments' text after the name in the entry line (a format and its values).
#define TRACE_ENTRY_ARGS(category, name, ...) \
  CTraceFunction trcFunction_(category, name, __FILE__, __LINE__, __VA_ARGS__)
// The same with the entry and exit lines worded by a TraceFrame, which is handed `context`.
#define TRACE_ENTRY_FRAME(category, name, frame, context) \
  CTraceFunction trcFunction_(category, name, __FILE__, __LINE__, frame, context)
// Returns `rc` from a function that began with TRACE_ENTRY; its exit line shows the code.
#define TRACE_RETURN(rc) return trcFunction_.exit((rc), __LINE__)
// Returns `value` from a function that began with TRACE_ENTRY; its exit line shows the value
// under the name `label`.
#define TRACE_RETURN_AS(label, value) return trcFunction_.exitAs(label, (value), __LINE__)
