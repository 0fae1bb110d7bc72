#include "injector.h"

#include <io.h>
#include <objbase.h>
#include <process.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <string>
#include <unordered_map>
#include <unordered_set>

// A function type's attributes (malloc's, say) do not matter to the wrapper's
// signature; only the calling convention does, and that one is kept.
#pragma GCC diagnostic ignored "-Wignored-attributes"

// A name as the import table spells it: 32-bit headers map the ...Ptr
// functions onto the plain ones.
#define VELMAP_STR2(x) #x
#define VELMAP_STR(x) VELMAP_STR2(x)

namespace velmap::faults {

namespace {

// The ids of the wrapped imports, in the table's order.
enum : int {
#define VELMAP_FAIL(name, value) kId_##name,
#define VELMAP_WATCH(name) kId_##name,
#define VELMAP_EXEMPT(name, reason)
#include "import_table.h"
#undef VELMAP_FAIL
#undef VELMAP_WATCH
#undef VELMAP_EXEMPT
    kWrapped
};

struct State {
    CRITICAL_SECTION lock;
    bool armed = false;
    int target = -1;
    long fail_at = 0;
    Mode mode = Mode::Once;
    long failures = 0;
    long calls[kWrapped] = {};
    void* real[kWrapped] = {};
    std::intptr_t failure[kWrapped] = {};
    std::unordered_set<void*> blocks;
    std::unordered_set<void*> hooks;
    bool trace = false;
    std::unordered_map<void*, std::string> origins;
    std::unordered_map<void*, std::string> gdi;  // GDI objects made and not deleted, when tracing  // where each block was taken, when tracing
    std::uintptr_t module_begin = 0, module_end = 0;
    State() { ::InitializeCriticalSection(&lock); }
};

State& S() {
    static State state;
    return state;
}

struct Locked {
    Locked() { ::EnterCriticalSection(&S().lock); }
    ~Locked() { ::LeaveCriticalSection(&S().lock); }
};


const char* const kNames[] = {
#define VELMAP_FAIL(name, value) VELMAP_STR(name),
#define VELMAP_WATCH(name) VELMAP_STR(name),
#define VELMAP_EXEMPT(name, reason)
#include "import_table.h"
#undef VELMAP_FAIL
#undef VELMAP_WATCH
#undef VELMAP_EXEMPT
};

bool ShouldFail(int id) {
    State& s = S();
    Locked lock;
    if (!s.armed) return false;
    const long n = ++s.calls[id];
    if (id != s.target) return false;
    if (s.mode == Mode::Once ? n != s.fail_at : n < s.fail_at) return false;
    ++s.failures;
    if (s.trace) {
        // Where the failing call came from, as offsets into the module.
        void* frames[48];
        const USHORT n = ::RtlCaptureStackBackTrace(1, 48, frames, nullptr);
        std::fprintf(stderr, "failing %s call %ld from", kNames[id], s.calls[id]);
        for (USHORT i = 0; i < n; ++i) {
            const auto a = reinterpret_cast<std::uintptr_t>(frames[i]);
            if (a >= s.module_begin && a < s.module_end)
                std::fprintf(stderr, " +0x%llx", static_cast<unsigned long long>(a - s.module_begin));
        }
        std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }
    return true;
}

template <class T>
std::uintptr_t AsInt(T v) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<std::uintptr_t>(v);
    else if constexpr (std::is_integral_v<T>)
        return static_cast<std::uintptr_t>(v);
    else
        return 0;
}

template <class R>
R FailureValue(std::intptr_t v) {
    if constexpr (std::is_pointer_v<R>)
        return reinterpret_cast<R>(v);
    else if constexpr (std::is_integral_v<R> || std::is_enum_v<R>)
        return static_cast<R>(v);
    else
        return R{};
}

// The caller's frames inside the module, as offsets.
std::string Origin() {
    State& s = S();
    void* frames[32];
    const USHORT n = ::RtlCaptureStackBackTrace(2, 32, frames, nullptr);
    std::string text;
    char hex[32];
    for (USHORT i = 0; i < n; ++i) {
        const auto a = reinterpret_cast<std::uintptr_t>(frames[i]);
        if (a < s.module_begin || a >= s.module_end) continue;
        std::snprintf(hex, sizeof hex, " +0x%llx", static_cast<unsigned long long>(a - s.module_begin));
        text += hex;
    }
    return text;
}

// What the watched pairs hand out and take back.
void Observe(int id, std::uintptr_t first, std::uintptr_t result) {
    State& s = S();
    Locked lock;
    void* const in = reinterpret_cast<void*>(first);
    void* const out = reinterpret_cast<void*>(result);
    switch (id) {
        case kId_malloc:
        case kId_calloc:
        case kId__strdup:
            if (out) {
                s.blocks.insert(out);
                if (s.trace) s.origins[out] = Origin();
            }
            break;
        case kId_realloc:
            if (out) {
                s.blocks.erase(in);  // moved or kept: the new address is the live one
                s.blocks.insert(out);
            }  // a failed realloc leaves the old block as it was
            break;
        case kId_free:
            s.blocks.erase(in);
            break;
        case kId_SetWindowsHookExW:
            if (out) s.hooks.insert(out);
            break;
        case kId_UnhookWindowsHookEx:
            if (result) s.hooks.erase(in);
            break;
        case kId_CreateCompatibleDC:
        case kId_CreateCompatibleBitmap:
        case kId_CreateDIBSection:
        case kId_CreateSolidBrush:
        case kId_CreatePatternBrush:
        case kId_CreateFontIndirectW:
        case kId_CreatePen:
        case kId_CreateRectRgn:
            if (out && s.trace) s.gdi[out] = std::string(kNames[id]) + Origin();
            break;
        case kId_DeleteObject:
        case kId_DeleteDC:
            if (result) s.gdi.erase(in);
            break;


        default:
            break;
    }
}

template <class... A>
std::uintptr_t First(A... a) {
    if constexpr (sizeof...(A) == 0) {
        return 0;
    } else {
        return [](auto head, auto...) { return AsInt(head); }(a...);
    }
}

// One wrapped call: fail it when its turn has come, else pass it on to the
// real function (Fn) and watch what it returned.
template <int Id, class Fn, class R, class... A>
R Forward(A... a) {
    if constexpr (!std::is_void_v<R>) {
        if (ShouldFail(Id)) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            errno = ENOMEM;
            return FailureValue<R>(S().failure[Id]);
        }
    } else {
        ShouldFail(Id);  // counted only
    }
    if constexpr (std::is_void_v<R>) {
        Observe(Id, First(a...), 0);
        reinterpret_cast<Fn>(S().real[Id])(a...);
    } else {
        const R r = reinterpret_cast<Fn>(S().real[Id])(a...);
        Observe(Id, First(a...), AsInt(r));
        return r;
    }
}

template <int Id, class F>
struct Wrap;

template <int Id, class R, class... A>
struct Wrap<Id, R(WINAPI*)(A...)> {
    static R WINAPI Call(A... a) { return Forward<Id, R(WINAPI*)(A...), R>(a...); }
};

#ifndef _WIN64
// 32-bit: the C runtime's functions are cdecl, the system's stdcall.
template <int Id, class R, class... A>
struct Wrap<Id, R(__cdecl*)(A...)> {
    static R __cdecl Call(A... a) { return Forward<Id, R(__cdecl*)(A...), R>(a...); }
};
#endif

constexpr std::intptr_t kNever = 0;

struct WrapperEntry {
    const char* name;
    void* wrapper;
    bool can_fail;
    std::intptr_t failure;
    const char* how;
};

const WrapperEntry kWrappers[] = {
#define VELMAP_FAIL(name, value) \
    {VELMAP_STR(name), reinterpret_cast<void*>(&Wrap<kId_##name, decltype(&::name)>::Call), true, (std::intptr_t)(value), #value},
#define VELMAP_WATCH(name) \
    {VELMAP_STR(name), reinterpret_cast<void*>(&Wrap<kId_##name, decltype(&::name)>::Call), false, kNever, "never fails"},
#define VELMAP_EXEMPT(name, reason)
#include "import_table.h"
#undef VELMAP_FAIL
#undef VELMAP_WATCH
#undef VELMAP_EXEMPT
};
static_assert(sizeof kWrappers / sizeof kWrappers[0] == kWrapped);

struct ExemptEntry {
    const char* name;
    const char* reason;
};
const ExemptEntry kExempt[] = {
#define VELMAP_FAIL(name, value)
#define VELMAP_WATCH(name)
#define VELMAP_EXEMPT(name, reason) {#name, reason},
#include "import_table.h"
#undef VELMAP_FAIL
#undef VELMAP_WATCH
#undef VELMAP_EXEMPT
};

}  // namespace

std::vector<ImportSlot> ReadImports(HMODULE module) {
    std::vector<ImportSlot> slots;
    auto* const base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return slots;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        const char* dll = reinterpret_cast<const char*>(base + d->Name);
        const auto* names =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* iat = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++iat) {
            std::string name;
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                name = "#" + std::to_string(IMAGE_ORDINAL(names->u1.Ordinal));
            } else {
                name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            }
            slots.push_back({dll, name, reinterpret_cast<void**>(&iat->u1.Function)});
        }
    }
    return slots;
}

const std::vector<ImportInfo>& KnownImports() {
    static const std::vector<ImportInfo> all = [] {
        std::vector<ImportInfo> v;
        for (const WrapperEntry& w : kWrappers) v.push_back({w.name, true, w.can_fail, w.how});
        for (const ExemptEntry& e : kExempt) v.push_back({e.name, false, false, e.reason});
        return v;
    }();
    return all;
}

int WrapperId(const std::string& name) {
    for (int i = 0; i < kWrapped; ++i)
        if (name == kWrappers[i].name) return i;
    // SetWindowLongPtrW is SetWindowLongW in a 32-bit DLL.
    if (const auto at = name.find("Ptr"); at != std::string::npos && name.find("Long") != std::string::npos)
        return WrapperId(name.substr(0, at) + name.substr(at + 3));
    return -1;
}

int WrapperCount() { return kWrapped; }
const char* WrapperName(int id) { return kWrappers[id].name; }
bool WrapperCanFail(int id) { return kWrappers[id].can_fail; }

std::vector<std::string> Patch(HMODULE module) {
    std::vector<std::string> unknown;
    State& s = S();
    for (int i = 0; i < kWrapped; ++i) s.failure[i] = kWrappers[i].failure;
    {
        const auto* base = reinterpret_cast<const BYTE*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        s.module_begin = reinterpret_cast<std::uintptr_t>(base);
        s.module_end = s.module_begin + nt->OptionalHeader.SizeOfImage;
        s.trace = ::GetEnvironmentVariableA("VELMAP_FAULTS_TRACE", nullptr, 0) > 0;
    }
    for (const ImportSlot& slot : ReadImports(module)) {
        const int id = WrapperId(slot.name);
        if (id < 0) {
            bool exempt = false;
            for (const ExemptEntry& e : kExempt) exempt = exempt || slot.name == e.name;
            if (!exempt) unknown.push_back(slot.dll + "!" + slot.name);
            continue;
        }
        if (*slot.slot == kWrappers[id].wrapper) continue;
        s.real[id] = *slot.slot;
        DWORD old = 0;
        ::VirtualProtect(slot.slot, sizeof(void*), PAGE_READWRITE, &old);
        *slot.slot = kWrappers[id].wrapper;
        ::VirtualProtect(slot.slot, sizeof(void*), old, &old);
    }
    return unknown;
}

void SetArmed(bool armed) {
    Locked lock;
    S().armed = armed;
}

void ClearCounts() {
    Locked lock;
    State& s = S();
    for (long& c : s.calls) c = 0;
    s.failures = 0;
}

long Calls(int id) {
    Locked lock;
    return S().calls[id];
}

void SetTarget(int id, long n, Mode mode) {
    Locked lock;
    S().target = id;
    S().fail_at = n;
    S().mode = mode;
}

long Failures() {
    Locked lock;
    return S().failures;
}

void ClearTracking() {
    Locked lock;
    S().blocks.clear();
    S().hooks.clear();
    S().origins.clear();
    S().gdi.clear();
}

std::size_t LiveBlocks() {
    Locked lock;
    State& s = S();
    if (s.trace) {
        for (void* b : s.blocks) std::fprintf(stderr, "block not freed, taken from%s\n", s.origins[b].c_str());
        for (const auto& [h, origin] : s.gdi)
            if (::GetObjectType(h)) std::fprintf(stderr, "GDI object not deleted: %s\n", origin.c_str());
    }
    return s.blocks.size();
}

std::size_t LiveHooks() {
    Locked lock;
    return S().hooks.size();
}

}  // namespace velmap::faults
