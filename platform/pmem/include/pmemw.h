/* The physical-memory access library (libpmemw.so), through which the registration wizard
 * reads the machine's BIOS tables. Two backends:
 *   - a memory image: the file named by $PMEMW_IMAGE holds physical memory from the address
 *     $PMEMW_IMAGE_BASE (hexadecimal, 0 when unset); tests use crafted images;
 *   - otherwise the kernel's physical-memory device /dev/mem, where it can be read.
 * Addresses outside what the backend holds cannot be read. One process-wide state, guarded by
 * a mutex; every entry point may be called from any thread.
 */
#ifndef ZARNAK_PLATFORM_PMEMW_H
#define ZARNAK_PLATFORM_PMEMW_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PMEM_EXPORT __attribute__((visibility("default")))

/* Non-zero when a backend is there to be opened. */
PMEM_EXPORT int PMemIsInitialized(void);
/* Opens the backend; non-zero on success. */
PMEM_EXPORT int PMemOpen(void);
/* The first address from first to last, in steps of step bytes, at which the zero-terminated
 * pattern lies; 0 when there is none (or nothing is open). */
PMEM_EXPORT uint32_t PMemSearch(const char* pattern, uint32_t first, uint32_t last, uint32_t step);
/* Copies length bytes from the physical address; 0 on success, non-zero on failure. */
PMEM_EXPORT int PMemRead(void* destination, uint32_t address, uint32_t length);

typedef int (*PMemIsInitializedFn)(void);
typedef int (*PMemOpenFn)(void);
typedef uint32_t (*PMemSearchFn)(const char*, uint32_t, uint32_t, uint32_t);
typedef int (*PMemReadFn)(void*, uint32_t, uint32_t);

#ifdef __cplusplus
}
#endif

#endif /* ZARNAK_PLATFORM_PMEMW_H */
