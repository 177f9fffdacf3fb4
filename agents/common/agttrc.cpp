// The trace: file, banner, per-thread line headers and the echo hook.
#include "agttrc.h"

#include <unistd.h>

#include <cstring>
#include <ctime>
#include <new>

#include "agtrc.h"

CTrace gTrace;
std::atomic<TraceEchoRtn> gTraceEchoP{nullptr};

namespace {

constexpr int kInitialHeaderSlots = 5;
constexpr int kHeaderSlotGrowth = 3;
constexpr const char* kLostHeader = "(Lost Message Hdr) ";
constexpr const char* kApplicationName = "Zarnak MSSQLV2 NT";
constexpr int kVersion[4] = {2, 2, 0, 1};

// Copies at most size - 1 bytes of srcP and terminates; longer text is cut.
void copyBounded(char* destP, const char* srcP, size_t size) {
  size_t length = strnlen(srcP, size - 1);
  memcpy(destP, srcP, length);
  destP[length] = '\0';
}

// The file name part of a source path, after its last slash or backslash.
const char* baseName(const char* pathP) {
  if (pathP == nullptr) return "<NULL>";
  const char* nameP = pathP;
  for (const char* p = pathP; *p != '\0'; p++) {
    if (*p == '/' || *p == '\\') nameP = p + 1;
  }
  return nameP;
}

class CMutexHold {
 public:
  explicit CMutexHold(psMutex mutex) : m_Mutex(mutex) { psMutexLock(m_Mutex, 0); }
  ~CMutexHold() { psMutexUnlock(m_Mutex, 0); }
  CMutexHold(const CMutexHold&) = delete;
  CMutexHold& operator=(const CMutexHold&) = delete;

 private:
  psMutex m_Mutex;
};

}  // namespace

CTrace::CTrace()
    : m_FlagsP(nullptr),
      m_Active(0),
      m_ToFile(0),
      m_TraceFileP(nullptr),
      m_FileMutex(nullptr),
      m_HeaderMutex(nullptr),
      m_NumHeaderSlots(0),
      m_HeaderSlotsP(nullptr) {
  for (auto& flag : m_Flags) flag.store(0, std::memory_order_relaxed);
  m_TraceFileName[0] = '\0';
  psMutexInit(&m_FileMutex, 0);
  psMutexInit(&m_HeaderMutex, 0);
  m_FlagsP = m_Flags;
}

// Runs at program exit for gTrace: closes the file and frees the header table.
CTrace::~CTrace() {
  close();
  psMutexDestroy(&m_FileMutex, 0);
  psMutexDestroy(&m_HeaderMutex, 0);
}

int CTrace::setFlag(int index, int value) {
  // Categories that ALL leaves as they are: the voluminous ones.
  static const int kKeptByAll[] = {
      TRC_SORTLINKEDLIST, TRC_PERFORMANCE, TRC_LINKEDLIST, TRC_BUFFRING, TRC_THREAD,
      TRC_EVENT,          TRC_MUTEX,       TRC_API,        TRC_MEMORY,   TRC_NLS};
  for (int k = 0; k < TRC_NUM_CATEGORIES; k++) {
    bool kept = false;
    for (int keptCategory : kKeptByAll) kept = kept || keptCategory == k;
    bool takes = index == TRC_DETAILED || (index == TRC_ALL && !kept) || index == k;
    if (takes) m_Flags[k].store(value, std::memory_order_relaxed);
  }
  return RC_OK;
}

int CTrace::open(const char* nameP) {
  if (nameP == nullptr) nameP = "";
  CMutexHold headerHold(m_HeaderMutex);
  CMutexHold fileHold(m_FileMutex);
  if (m_TraceFileName[0] != '\0' && nameP[0] != '\0' &&
      strncmp(nameP, m_TraceFileName, TRC_FILE_NAME_SIZE - 1) != 0) {
    fflush(m_TraceFileP);
    fclose(m_TraceFileP);
    m_TraceFileP = nullptr;
    m_TraceFileName[0] = '\0';
    m_ToFile.store(0);
  }
  if (m_TraceFileName[0] == '\0' && nameP[0] != '\0') {
    int rc = openFile(nameP);
    if (rc != RC_OK) return rc;
  }
  if (m_TraceFileName[0] != '\0') writeBanner();
  m_Active.store(1);
  return RC_OK;
}

// Opens the named file (its name cut to the name buffer) and builds a fresh header table.
// Caller holds both mutexes.
int CTrace::openFile(const char* nameP) {
  char name[TRC_FILE_NAME_SIZE];
  copyBounded(name, nameP, sizeof(name));
  FILE* fileP = fopen(name, "a");
  if (fileP == nullptr) return RC_FILE_OPEN_FAILED;
  setvbuf(fileP, nullptr, _IONBF, 0);
  m_TraceFileP = fileP;
  memcpy(m_TraceFileName, name, sizeof(name));
  m_ToFile.store(1);
  freeHeaderTable();
  return growHeaderTable(kInitialHeaderSlots);
}

// Adds extraSlots free slots to the table; 421 with the table unchanged when no memory.
// Caller holds m_HeaderMutex.
int CTrace::growHeaderTable(int extraSlots) {
  int count = m_NumHeaderSlots + extraSlots;
  TraceHeaderSlot* slotsP = new (std::nothrow) TraceHeaderSlot[count];
  if (slotsP == nullptr) return RC_NO_MEMORY;
  for (int i = 0; i < count; i++) {
    slotsP[i] = i < m_NumHeaderSlots ? m_HeaderSlotsP[i]
                                     : TraceHeaderSlot{0, new (std::nothrow) char[TRC_HEADER_SIZE]};
    if (slotsP[i].textP == nullptr) {
      for (int j = m_NumHeaderSlots; j < i; j++) delete[] slotsP[j].textP;
      delete[] slotsP;
      return RC_NO_MEMORY;
    }
    if (i >= m_NumHeaderSlots) slotsP[i].textP[0] = '\0';
  }
  delete[] m_HeaderSlotsP;
  m_HeaderSlotsP = slotsP;
  m_NumHeaderSlots = count;
  return RC_OK;
}

void CTrace::freeHeaderTable() {
  for (int i = 0; i < m_NumHeaderSlots; i++) delete[] m_HeaderSlotsP[i].textP;
  delete[] m_HeaderSlotsP;
  m_HeaderSlotsP = nullptr;
  m_NumHeaderSlots = 0;
}

// Caller holds m_FileMutex.
void CTrace::writeBanner() {
  char banner[512];
  int length = snprintf(banner, sizeof(banner),
                        "===========================================================\n"
                        "Tracing started for:\n"
                        "-----------------------------------------------------------\n"
                        "   Application Client :   %s\n"
                        "              Version :   %d.%d.%d.%d\n"
                        "      Build Date/Time :   %s at %s\n"
                        "===========================================================\n",
                        kApplicationName, kVersion[0], kVersion[1], kVersion[2], kVersion[3],
                        __DATE__, __TIME__);
  writeFile(banner, static_cast<size_t>(length));
}

// Caller holds m_FileMutex.
void CTrace::writeFile(const char* textP, size_t length) {
  if (m_TraceFileP != nullptr) fwrite(textP, 1, length, m_TraceFileP);
}

void CTrace::echo(const char* textP) {
  TraceEchoRtn echoRtn = gTraceEchoP.load(std::memory_order_acquire);
  if (echoRtn != nullptr) echoRtn(textP);
}

void CTrace::header(const char* fileP, int line) {
  psThreadId threadId = psThreadGetCurrentId();
  char threadText[16];
  snprintf(threadText, sizeof(threadText), "%u", threadId);
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  char text[TRC_HEADER_SIZE];
  snprintf(text, sizeof(text),
           "%02d/%02d/%04d %02d:%02d:%02d <pid: %d> <T%s>%s(%d):", local.tm_mon + 1, local.tm_mday,
           local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
           static_cast<int>(getpid()), threadText, baseName(fileP), line);
  if (m_ToFile.load() == 0) {
    echo(text);
    return;
  }
  CMutexHold headerHold(m_HeaderMutex);
  // The first free slot after this thread's last pending header, so its headers stay in order.
  int lastOwn = -1;
  for (int i = 0; i < m_NumHeaderSlots; i++) {
    const TraceHeaderSlot& slot = m_HeaderSlotsP[i];
    if (slot.textP[0] != '\0' && psThreadIdEqual(slot.threadId, threadId)) lastOwn = i;
  }
  int chosen = lastOwn + 1;
  while (chosen < m_NumHeaderSlots && m_HeaderSlotsP[chosen].textP[0] != '\0') chosen++;
  if (chosen == m_NumHeaderSlots && growHeaderTable(kHeaderSlotGrowth) != RC_OK) return;
  m_HeaderSlotsP[chosen].threadId = threadId;
  copyBounded(m_HeaderSlotsP[chosen].textP, text, TRC_HEADER_SIZE);
}

void CTrace::printf(const char* formatP, ...) {
  va_list args;
  va_start(args, formatP);
  vprintf(formatP, args);
  va_end(args);
}

void CTrace::vprintf(const char* formatP, va_list args) {
  char text[TRC_TEXT_SIZE];
  vsnprintf(text, sizeof(text), formatP, args);
  if (m_ToFile.load() == 0) {
    echo(text);
    return;
  }
  char line[TRC_HEADER_SIZE + TRC_TEXT_SIZE];
  psThreadId threadId = psThreadGetCurrentId();
  CMutexHold headerHold(m_HeaderMutex);
  int own = m_NumHeaderSlots - 1;
  while (own >= 0 && (m_HeaderSlotsP[own].textP[0] == '\0' ||
                      !psThreadIdEqual(m_HeaderSlotsP[own].threadId, threadId))) {
    own--;
  }
  const char* headerP = own >= 0 ? m_HeaderSlotsP[own].textP : kLostHeader;
  int length = snprintf(line, sizeof(line), "%s%s", headerP, text);
  if (length >= static_cast<int>(sizeof(line))) length = sizeof(line) - 1;
  if (own >= 0) m_HeaderSlotsP[own].textP[0] = '\0';
  CMutexHold fileHold(m_FileMutex);
  writeFile(line, static_cast<size_t>(length));
}

void CTrace::close() {
  CMutexHold headerHold(m_HeaderMutex);
  CMutexHold fileHold(m_FileMutex);
  m_Active.store(0);
  if (m_TraceFileP != nullptr) {
    fflush(m_TraceFileP);
    fclose(m_TraceFileP);
    m_TraceFileP = nullptr;
  }
  m_TraceFileName[0] = '\0';
  m_ToFile.store(0);  // a later open without a name echoes again
  freeHeaderTable();
}

int CTrace::headerSlotCount() {
  CMutexHold headerHold(m_HeaderMutex);
  return m_NumHeaderSlots;
}

CTraceFunction::CTraceFunction(int category, const char* nameP, const char* fileP, int line,
                               const char* argsFormatP, ...)
    : m_Category(category),
      m_NameP(nameP),
      m_FileP(fileP),
      m_Line(line),
      m_Form(TraceExitForm::kCode) {
  if (!gTrace.isOn(category)) return;
  char argsText[TRC_TEXT_SIZE];
  va_list args;
  va_start(args, argsFormatP);
  vsnprintf(argsText, sizeof argsText, argsFormatP, args);
  va_end(args);
  enter(argsText);
}

void CTraceFunction::enter(const char* argsTextP) {
  gTrace.header(m_FileP, m_Line);
  if (m_FrameP != nullptr) {
    m_FrameP->enterRtn(m_NameP, m_ContextP);
    return;
  }
  gTrace.printf("Enter %s%s", m_NameP, argsTextP);
}

void CTraceFunction::leave() {
  if (m_Form == TraceExitForm::kSuccessOnly && m_HasRc && m_Rc != RC_OK) return;
  gTrace.header(m_FileP, m_Line);
  if (m_FrameP != nullptr) {
    m_FrameP->exitRtn(m_NameP, m_HasRc ? m_Rc : 0, m_ContextP);
    return;
  }
  if (m_HasRc && m_Form == TraceExitForm::kCode) {
    gTrace.printf("Exit %s, %s = %d\n", m_NameP, m_LabelP, m_Rc);
  } else {
    gTrace.printf("Exit %s\n", m_NameP);
  }
}
