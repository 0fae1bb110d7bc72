// The band's class factory and the registry entries that make the shell offer
// the band in its toolbar menu.
#pragma once

#include "com/object_factory.h"
#include "com/module.h"

#include <string>

namespace velmap::band {

// The band's name in the shell's toolbar menu.
inline constexpr wchar_t kBandMenuName[] = L"&Velmora Player";
// The desk-band component category.
inline constexpr wchar_t kDeskBandCategory[] = L"{00021492-0000-0000-C000-000000000046}";
inline constexpr wchar_t kToolbarKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
// Where the shell keeps each user's copy of the category's members, for
// 32-bit and 64-bit bands ("...\\<category>\\Enum" under each).
inline constexpr const wchar_t* kUserCategoryCaches[] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Discardable\\PostSetup\\Component Categories",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Discardable\\PostSetup\\Component Categories64",
};

class TOrvexBandFactory final : public com::TComObjectFactory {
public:
    explicit TOrvexBandFactory(com::TComServer& server);

    // The generic entries, then the band's own (menu name, apartment
    // threading, desk-band category, toolbar value); removal the other way.
    void ApplyRegistration(bool do_register) override;
};

// The band-specific part, for a class identifier in registry form. Removal
// refuses anything but a well-formed identifier equal to the factory's, so a
// bad name can never widen the deleted tree.
void RegisterBandEntries(const std::wstring& clsid);
void UnregisterBandEntries(const std::wstring& clsid, REFCLSID expected);
// Deletes the registering user's cached member lists of the desk-band
// category (its Enum keys, in both registry views, nothing else), so that
// the toolbar menu sees a change of registration without a sign-out.
void DropUserCategoryCaches() noexcept;

// The module unit that makes the band factory (last of the module's units).
com::ModuleUnit& BandUnit();

}  // namespace velmap::band
