// The thread library linked into this DLL takes a thread-local slot (TlsAlloc)
// the first time a thread of the DLL needs its per-thread record, and never
// gives it back: it expects to live as long as the process. A desk band's DLL
// does not: the shell frees it whenever no band is left and loads it again
// later, and every load would keep one more of the process's 1,088 slots until
// the next load aborts inside the taskbar.
//
// So the library's TlsAlloc comes here: its import pointer is defined below
// (the linker takes it instead of the system import of the same name), the
// slots it takes are noted, and the module's entry gives them back once the
// runtime has finished tearing down on a real unload. Nothing of this module
// runs after that point.
#include <windows.h>

#include <atomic>

namespace {

using TlsAllocFn = DWORD(WINAPI*)();

std::atomic<TlsAllocFn> g_real_tls_alloc{nullptr};
// The library takes one slot; room for a few more costs nothing.
constexpr int kMaxSlots = 8;
std::atomic<DWORD> g_slots[kMaxSlots];
std::atomic<int> g_slot_count{0};

TlsAllocFn RealTlsAlloc() {
    TlsAllocFn fn = g_real_tls_alloc.load(std::memory_order_acquire);
    if (!fn) {
        if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll"))
            fn = reinterpret_cast<TlsAllocFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "TlsAlloc")));
        if (fn) g_real_tls_alloc.store(fn, std::memory_order_release);
    }
    return fn;
}

DWORD WINAPI TrackedTlsAlloc() {
    const TlsAllocFn real = RealTlsAlloc();
    if (!real) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return TLS_OUT_OF_INDEXES;
    }
    const DWORD slot = real();
    if (slot != TLS_OUT_OF_INDEXES) {
        const int at = g_slot_count.fetch_add(1);
        if (at < kMaxSlots)
            g_slots[at].store(slot);
        else
            g_slot_count.fetch_sub(1);  // kept for good, as before
    }
    return slot;
}

// The threads library keeps a record for every thread that entered it (an
// event, a duplicate of the thread's handle, the semaphores of its locks) and
// lets it go in its thread-local callback when the thread ends. The thread
// that unloads the module does not end, so the record would outlive the
// module with its handles; it leaves the module here as if it ended: the
// module's thread-local callbacks see it detach, as the loader would show
// them. Records of other threads still alive at the unload cannot be reached
// (those of threads that ended before went with them).
void DetachUnloadingThread(HINSTANCE instance) {
    auto* base = reinterpret_cast<const BYTE*>(instance);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
    if (dir.VirtualAddress == 0 || dir.Size < sizeof(IMAGE_TLS_DIRECTORY)) return;
    const auto* tls = reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + dir.VirtualAddress);
    auto* const* callbacks = reinterpret_cast<const PIMAGE_TLS_CALLBACK*>(tls->AddressOfCallBacks);
    for (; callbacks && *callbacks; ++callbacks) (*callbacks)(instance, DLL_THREAD_DETACH, nullptr);
}

void FreeTrackedSlots() {
    const int n = g_slot_count.exchange(0);
    for (int i = 0; i < n && i < kMaxSlots; ++i) ::TlsFree(g_slots[i].load());
}

}  // namespace

// The import pointer the thread library calls TlsAlloc through.
extern "C" {
#ifdef _WIN64
TlsAllocFn velmap_imp_TlsAlloc asm("__imp_TlsAlloc") = &TrackedTlsAlloc;
#else
TlsAllocFn velmap_imp_TlsAlloc asm("__imp__TlsAlloc@0") = &TrackedTlsAlloc;
#endif
}

// The runtime's own entry: thread-local callbacks have run before it, the
// module's DllMain and the runtime's teardown run inside it.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID);

// The module's entry (linked with --entry).
extern "C" BOOL WINAPI VelmapDllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // Resolved while loading, before any import of the module could be
    // redirected or refused.
    if (reason == DLL_PROCESS_ATTACH && !RealTlsAlloc()) return FALSE;
    const BOOL result = DllMainCRTStartup(instance, reason, reserved);
    // At process exit the slots go with the process; on an unload (also the
    // one that follows a refused attach) this thread's record of the threads
    // library is let go, then the slots are given back.
    if (reason == DLL_PROCESS_DETACH && !reserved) {
        DetachUnloadingThread(instance);
        FreeTrackedSlots();
    }
    return result;
}
