#include "band/band_factory.h"

#include "band/band_clsid.h"
#include "band/band_object.h"
#include "com/error.h"
#include "com/server.h"
#include "com/guid.h"
#include "com/registry.h"
#include "win/handles.h"

#include <cstdio>

namespace velmap::band {

namespace {

// A key opened for the band's own entries (under the current registration's
// roots: see com/registry.h): created when missing; a key that cannot be had
// is skipped (HKEY_LOCAL_MACHINE without rights, for one).
class BandKey {
public:
    BandKey(HKEY root, const std::wstring& path) {
        if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              key_.put(), nullptr) != ERROR_SUCCESS)
            key_.reset();
    }
    explicit operator bool() const { return static_cast<bool>(key_); }

    void SetString(const wchar_t* name, const std::wstring& value) {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        if (::RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
            ERROR_SUCCESS) {
            char message[160];
            std::snprintf(message, sizeof message, "Failed to set data for '%ls'", name ? name : L"");
            throw com::EComError(message);
        }
    }

private:
    win::unique_hkey key_;
};

bool IsRegistryClassId(const std::wstring& text, REFCLSID expected) {
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
    return text == com::GuidToString(expected);
}

}  // namespace

TOrvexBandFactory::TOrvexBandFactory(com::TComServer& server)
    : TComObjectFactory(server, &com::CreateComObject<TOrvexBand>, CLSID_VelmapBand, L"", L"VelmapBand",
                        com::Instancing::MultiInstance, com::ThreadingModel::Single) {}

void TOrvexBandFactory::ApplyRegistration(bool do_register) {
    const std::wstring clsid = com::GuidToString(ClassID());
    TComObjectFactory::ApplyRegistration(do_register);
    if (do_register)
        RegisterBandEntries(clsid);
    else
        UnregisterBandEntries(clsid, ClassID());
}

void RegisterBandEntries(const std::wstring& clsid) {
    const com::RegistryRoots& roots = com::CurrentRegistryRoots();
    const std::wstring class_key = L"CLSID\\" + clsid;
    if (BandKey key(roots.classes, class_key); key) key.SetString(nullptr, kBandMenuName);
    if (BandKey key(roots.classes, class_key + L"\\InProcServer32"); key)
        key.SetString(L"ThreadingModel", L"Apartment");
    BandKey(roots.classes, class_key + L"\\Implemented Categories\\" + kDeskBandCategory);
    if (BandKey key(roots.machine, kToolbarKey); key) key.SetString(clsid.c_str(), L"");
    DropUserCategoryCaches();
}

void DropUserCategoryCaches() noexcept {
    for (const wchar_t* cache : kUserCategoryCaches) {
        const std::wstring category = std::wstring(cache) + L"\\" + kDeskBandCategory;
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            win::unique_hkey key;
            if (::RegOpenKeyExW(HKEY_CURRENT_USER, category.c_str(), 0,
                                view | DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE,
                                key.put()) == ERROR_SUCCESS)
                ::RegDeleteTreeW(key.get(), L"Enum");
        }
    }
}

void UnregisterBandEntries(const std::wstring& clsid, REFCLSID expected) {
    if (!IsRegistryClassId(clsid, expected)) return;
    const com::RegistryRoots& roots = com::CurrentRegistryRoots();
    const std::wstring class_key = L"CLSID\\" + clsid;
    // The shell's cached member list of the category: rebuilt without us.
    ::RegDeleteTreeW(roots.classes,
                     (std::wstring(L"Component Categories\\") + kDeskBandCategory + L"\\Enum").c_str());
    ::RegDeleteTreeW(roots.classes, (class_key + L"\\Implemented Categories\\" + kDeskBandCategory).c_str());
    ::RegDeleteTreeW(roots.classes, (class_key + L"\\InProcServer32").c_str());
    ::RegDeleteTreeW(roots.classes, class_key.c_str());
    win::unique_hkey toolbar;
    if (::RegOpenKeyExW(roots.machine, kToolbarKey, 0, KEY_SET_VALUE, toolbar.put()) == ERROR_SUCCESS)
        ::RegDeleteValueW(toolbar.get(), clsid.c_str());
    DropUserCategoryCaches();
}

namespace {

TOrvexBandFactory* g_factory = nullptr;

void BandUnitInitialize() {
    if (com::TComServer* server = com::ComServer()) g_factory = new TOrvexBandFactory(*server);
}

// The server destroys its factories at its own end; nothing left to do here.
void BandUnitFinalize() { g_factory = nullptr; }

com::ModuleUnit unit{BandUnitInitialize, BandUnitFinalize};

}  // namespace

com::ModuleUnit& BandUnit() { return unit; }

}  // namespace velmap::band
