// Traced memory wrappers: raw blocks of the engine are taken and given back through MALLOC,
// REALLOC, CALLOC and FREE, which record the caller's source file and line in a MEMory trace
// line. A meaningless request (size or count 0, a null pointer to resize or free) is refused;
// a refused or failed request answers null and never stops the program. Objects are created
// with new, not through these.
#pragma once

#include <cstdint>

void* agtMalloc(const char* fileP, uint32_t line, uint32_t size);
// Resizes *blockPP and stores the result there. A null *blockPP is refused; size 0 releases the
// block and stores null; when the resize fails the block stays, unchanged, in *blockPP.
void* agtRealloc(const char* fileP, uint32_t line, void** blockPP, uint32_t size);
void* agtCalloc(const char* fileP, uint32_t line, uint32_t count, uint32_t size);
// Frees *blockPP and clears it; a null *blockPP is refused (traced only).
void agtFree(void** blockPP, const char* fileP, uint32_t line);

// Typed forms, so a caller's `T*` word can be handed over as it is.
template <typename T>
T* agtReallocTyped(const char* fileP, uint32_t line, T** blockPP, uint32_t size) {
  void* blockP = *blockPP;
  void* resultP = agtRealloc(fileP, line, &blockP, size);
  *blockPP = static_cast<T*>(blockP);
  return static_cast<T*>(resultP);
}
template <typename T>
void agtFreeTyped(T** blockPP, const char* fileP, uint32_t line) {
  void* blockP = const_cast<void*>(static_cast<const void*>(*blockPP));
  agtFree(&blockP, fileP, line);
  *blockPP = static_cast<T*>(blockP);
}

#define MALLOC(size) agtMalloc(__FILE__, __LINE__, (size))
#define REALLOC(blockPP, size) agtReallocTyped(__FILE__, __LINE__, (blockPP), (size))
#define CALLOC(count, size) agtCalloc(__FILE__, __LINE__, (count), (size))
#define FREE(blockPP) agtFreeTyped((blockPP), __FILE__, __LINE__)
