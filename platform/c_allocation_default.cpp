// The C allocation functions that platform/c_allocation_routing.h routes a Windows build's calls
// to, for programs: they go straight to the C runtime. A plugin library brings counted ones of the
// same names (framework/plugin_allocation.cpp); the linker then never takes this file's, which is
// why it holds nothing else.
#ifdef _WIN32
#include <cstdlib>
#include <cstring>

// These are the functions the calls are renamed to; here the C runtime's own are meant.
#undef malloc
#undef calloc
#undef realloc
#undef free
#undef strdup

extern "C" {
void* __wrap_malloc(std::size_t size) { return std::malloc(size); }
void* __wrap_calloc(std::size_t count, std::size_t size) { return std::calloc(count, size); }
void* __wrap_realloc(void* block, std::size_t size) { return std::realloc(block, size); }
void __wrap_free(void* block) { std::free(block); }
char* __wrap_strdup(const char* text) { return _strdup(text); }
}
#endif
