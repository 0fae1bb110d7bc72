#include "skin/manager/shared_skins.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace velmap::skin {

namespace {

// One decoded skin and what tells it apart. Its model is handed out through
// aliasing pointers, so the whole record goes with the last holder.
struct SharedSkin {
    DWORD thread = 0;
    std::vector<std::uint8_t> archive;
    SharedSkinSettings settings;
    SkinModel model;

    bool Matches(DWORD t, std::span<const std::uint8_t> bytes, const SharedSkinSettings& s) const {
        return thread == t && settings.HueOffset == s.HueOffset && settings.Saturation == s.Saturation &&
               settings.CommonSections == s.CommonSections && archive.size() == bytes.size() &&
               (bytes.empty() || std::memcmp(archive.data(), bytes.data(), bytes.size()) == 0);
    }
};

struct Entry {
    SharedSkin* skin;
    std::weak_ptr<SharedSkin> weak;
};

// The registry: entries only while their skins live; the list itself is
// freed with the last of them.
SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<Entry>* g_entries = nullptr;

class Exclusive {
public:
    Exclusive() { ::AcquireSRWLockExclusive(&g_lock); }
    ~Exclusive() { ::ReleaseSRWLockExclusive(&g_lock); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;
};

void Forget(SharedSkin* skin) noexcept {
    std::vector<Entry>* gone = nullptr;
    {
        Exclusive lock;
        if (g_entries) {
            std::erase_if(*g_entries, [skin](const Entry& e) { return e.skin == skin; });
            if (g_entries->empty()) gone = std::exchange(g_entries, nullptr);
        }
    }
    delete gone;
    delete skin;
}

}  // namespace

std::shared_ptr<const SkinModel> ShareDecodedSkin(std::span<const std::uint8_t> archive,
                                                  const SharedSkinSettings& settings,
                                                  const std::function<bool(SkinModel&)>& decode) {
    const DWORD thread = ::GetCurrentThreadId();
    {
        Exclusive lock;
        if (g_entries)
            for (const Entry& e : *g_entries)
                if (e.skin->Matches(thread, archive, settings))
                    if (std::shared_ptr<SharedSkin> alive = e.weak.lock()) return {alive, &alive->model};
    }

    auto fresh = std::make_unique<SharedSkin>();
    fresh->thread = thread;
    fresh->settings = settings;
    fresh->model.HueOffset = settings.HueOffset;
    fresh->model.Saturation = settings.Saturation;
    fresh->model.CommonSections = settings.CommonSections;
    if (!decode(fresh->model)) return nullptr;
    // Resolved once here: holders never write to the model.
    fresh->model.RebuildCommonIndexes();
    fresh->archive.assign(archive.begin(), archive.end());

    std::shared_ptr<SharedSkin> skin(fresh.release(), &Forget);  // freed by Forget also if this throws
    {
        Exclusive lock;
        if (!g_entries) g_entries = new std::vector<Entry>;
        g_entries->push_back({skin.get(), skin});
    }
    return {skin, &skin->model};
}

std::size_t SharedSkinCount() {
    Exclusive lock;
    return g_entries ? g_entries->size() : 0;
}

}  // namespace velmap::skin
