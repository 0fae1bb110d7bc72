// The C++ runtime builds every exception object with malloc and, when the heap
// refuses, takes it from an emergency pool. That pool's lock is a mutex made
// lazily, with malloc, on its first use: with the heap exhausted the first
// lock fails, its failure is thrown through the same pool, and the host's stack
// overflows instead of the band seeing std::bad_alloc. So the lock is made
// once at load, while memory is there: one small exception is thrown with the
// heap's first answer refused, which sends it through the pool.
//
// The DLL is linked with --wrap=malloc: every malloc of its code and of the
// runtime linked into it comes here first.
#include <windows.h>

#include <cstddef>

extern "C" void* __real_malloc(std::size_t size);

namespace {
volatile LONG g_refuse_next = 0;
}  // namespace

extern "C" void* __wrap_malloc(std::size_t size) {
    if (g_refuse_next && ::InterlockedExchange(&g_refuse_next, 0)) return nullptr;
    return __real_malloc(size);
}

namespace velmap::band {

void WarmExceptionPool() noexcept {
    ::InterlockedExchange(&g_refuse_next, 1);
    try {
        throw 0;
    } catch (int) {
    }
    ::InterlockedExchange(&g_refuse_next, 0);
}

}  // namespace velmap::band
