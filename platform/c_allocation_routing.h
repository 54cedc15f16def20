/* Windows builds only (forced into every source by the top-level CMakeLists.txt). The GNU
 * linker's --wrap, which counts a plugin's C allocations on Linux, cannot reach calls that go
 * through the C runtime's import table, so on Windows the calls themselves are renamed: malloc,
 * calloc, realloc, free and strdup in the project's code, in libyaml and in the header-only
 * RapidJSON become the __wrap_ functions. A plugin library defines those as the counted ones
 * (framework/plugin_allocation.cpp); programs get plain ones from the platform library
 * (platform/c_allocation_default.cpp). The C runtime's own headers are read first, unrenamed. */
#ifndef MOX_PLATFORM_C_ALLOCATION_ROUTING_H
#define MOX_PLATFORM_C_ALLOCATION_ROUTING_H

#include <malloc.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
#include <cstdlib>
#include <cstring>
extern "C" {
#endif
void* __wrap_malloc(size_t size);
void* __wrap_calloc(size_t count, size_t size);
void* __wrap_realloc(void* block, size_t size);
void __wrap_free(void* block);
char* __wrap_strdup(const char* text);
#ifdef __cplusplus
}
namespace std {
using ::__wrap_calloc;
using ::__wrap_free;
using ::__wrap_malloc;
using ::__wrap_realloc;
}  // namespace std
#endif

#define malloc(size) __wrap_malloc(size)
#define calloc(count, size) __wrap_calloc(count, size)
#define realloc(block, size) __wrap_realloc(block, size)
#define free(block) __wrap_free(block)
#define strdup(text) __wrap_strdup(text)

#endif
