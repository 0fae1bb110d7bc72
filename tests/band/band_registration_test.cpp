// Removing the band's own registry entries never reaches beyond them, whatever
// name it is handed.
#include "band/band_clsid.h"
#include "band/band_factory.h"
#include "com/guid.h"
#include "test_registry.h"

#include <gtest/gtest.h>

namespace velmap::band {
namespace {

using test::KeyExists;

TEST(BandRegistration, RemovalRefusesAnyNameButTheBandsOwnIdentifier) {
    const std::wstring ours = com::GuidToString(CLSID_VelmapBand);
    const std::wstring other = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
    const std::wstring other_key = L"CLSID\\" + other + L"\\InprocServer32";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CLASSES_ROOT, other_key.c_str(), nullptr, REG_SZ, L"o.dll", 12));
    RegisterBandEntries(ours);

    std::wstring lower = ours;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    for (const std::wstring& name : {std::wstring(), std::wstring(L"{}"), other, lower, ours.substr(0, 37),
                                     ours + L"\\..", std::wstring(L"..\\CLSID")}) {
        UnregisterBandEntries(name, CLSID_VelmapBand);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, other_key))
            << "removed by the name '" << std::string(name.begin(), name.end()) << "'";
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ours));
    }
    UnregisterBandEntries(ours, CLSID_VelmapBand);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + ours));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, other_key));
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + other).c_str());
}

}  // namespace
}  // namespace velmap::band
