// Traced memory wrappers over the standard allocator. Every line goes under MEMory and names the
// caller's source file and line, so a trace shows where each block came from and went.
#include "agtmem.h"

#include <cinttypes>
#include <cstdlib>

#include "agttrc.h"

namespace {

const char* shownFile(const char* fileP) {
  return fileP != nullptr ? fileP : "<NULL>";
}

unsigned long ul(uint32_t value) {
  return static_cast<unsigned long>(value);
}

uintptr_t addr(const void* blockP) {
  return reinterpret_cast<uintptr_t>(blockP);
}

}  // namespace

void* agtMalloc(const char* fileP, uint32_t line, uint32_t size) {
  fileP = shownFile(fileP);
  if (size == 0) {
    TRACE_LINE(TRC_MEMORY, "ERROR: Tried to MALLOC() <%lu> bytes in ==> %s(%lu).\n", ul(size),
               fileP, ul(line));
    return nullptr;
  }
  void* blockP = malloc(size);
  if (blockP == nullptr) {
    TRACE_LINE(TRC_MEMORY, "ERROR: Failed to malloc() <%lu> bytes ==> %s(%lu).\n", ul(size), fileP,
               ul(line));
    return nullptr;
  }
  TRACE_LINE(TRC_MEMORY, "MALLOC()ed <%lu> bytes at address: <%" PRIxPTR "> in ==> %s(%lu).\n",
             ul(size), addr(blockP), fileP, ul(line));
  return blockP;
}

void* agtRealloc(const char* fileP, uint32_t line, void** blockPP, uint32_t size) {
  fileP = shownFile(fileP);
  if (*blockPP == nullptr) {
    TRACE_LINE(TRC_MEMORY,
               "ERROR: Tried to REALLOC() <%lu> bytes with NULL pointer in ==> %s(%lu).\n",
               ul(size), fileP, ul(line));
    return nullptr;
  }
  // Size 0 gives the block back; a failed resize keeps it where the caller can still free it.
  void* blockP = nullptr;
  if (size == 0) {
    free(*blockPP);
    *blockPP = nullptr;
  } else {
    blockP = realloc(*blockPP, size);
    if (blockP != nullptr) *blockPP = blockP;
  }
  if (blockP == nullptr) {
    TRACE_LINE(TRC_MEMORY, "ERROR: Failed to realloc() <%lu> bytes in ==>  %s(%lu).\n", ul(size),
               fileP, ul(line));
    return nullptr;
  }
  TRACE_LINE(TRC_MEMORY,
             "REALLOC()ed memory to <%lu> bytes at address: <%" PRIxPTR "> in ==> %s(%lu).\n",
             ul(size), addr(blockP), fileP, ul(line));
  return blockP;
}

void* agtCalloc(const char* fileP, uint32_t line, uint32_t count, uint32_t size) {
  fileP = shownFile(fileP);
  if (count == 0) {
    TRACE_LINE(TRC_MEMORY, "ERROR: Tried to CALLOC() <%lu> elements in ==> %s(%lu).\n", ul(count),
               fileP, ul(line));
    return nullptr;
  }
  if (size == 0) {
    TRACE_LINE(TRC_MEMORY, "ERROR: Tried to CALLOC() elements of size <%lu> in ==> %s(%lu).\n",
               ul(size), fileP, ul(line));
    return nullptr;
  }
  void* blockP = calloc(count, size);
  if (blockP == nullptr) {
    TRACE_LINE(TRC_MEMORY,
               "ERROR: Failed to calloc() <%lu> elements of size <%lu> in ==> %s(%lu).\n",
               ul(count), ul(size), fileP, ul(line));
    return nullptr;
  }
  TRACE_LINE(TRC_MEMORY,
             "CALLOC()ed <%lu> elements of size <%lu> at address <%" PRIxPTR "> in ==> %s(%lu).\n",
             ul(count), ul(size), addr(blockP), fileP, ul(line));
  return blockP;
}

void agtFree(void** blockPP, const char* fileP, uint32_t line) {
  fileP = shownFile(fileP);
  if (*blockPP == nullptr) {
    TRACE_LINE(TRC_MEMORY, "ERROR: Tried to free NULL pointer in ==> %s(%lu).\n", fileP, ul(line));
    return;
  }
  TRACE_LINE(TRC_MEMORY, "FREE()ing memory at address <%" PRIxPTR "> in ==> %s(%lu).\n",
             addr(*blockPP), fileP, ul(line));
  free(*blockPP);
  *blockPP = nullptr;
}
