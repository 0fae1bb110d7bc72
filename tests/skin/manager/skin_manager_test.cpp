// The skin manager under Wine: where skins come from, what it announces and
// in which order, its properties' side effects, and its window hook.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "skin_test_support.h"
#include "win/strings.h"
#include "skin/data/convert.h"
#include "skin/manager/shared_skins.h"
#include "skin/manager/skin_hook.h"
#include "ui/window_proc_error.h"

namespace velmap::skin {
namespace {

using namespace velmap::skin::test;

// A form with a manager holding two internal skins, a panel and a button on it.
const char kFormText[] = R"desc(
object SkinForm : TForm
  Left = 0
  Top = 0
  Width = 160
  Height = 25
  object SkinManager : TsSkinManager
    InternalSkins = <
      item
        Name = "Cold (internal)"
        Data = @COLD
      end
      item
        Name = "Second"
        Data = @SECOND
      end>
    SkinDirectory = "|:\\VelmapBand|no skins"
    SkinName = "Cold (internal)"
    ThirdParty.ThirdButtons = ("TButton", "TSpeedButton")
    ThirdParty.ThirdEdits = (" ")
  end
  object Panel : TProbePanel
    Left = 0
    Top = 0
    Width = 160
    Height = 25
    SkinData.SkinSection = "PANEL"
    object Button : TProbeButton
      Left = 2
      Top = 2
      Width = 20
      Height = 20
      SkinData.SkinSection = "SPEEDBUTTON"
    end
  end
end
)desc";

// The second skin puts PANEL further down, so its index changes.
std::map<std::string, Bytes> FormResources() {
    return {{"COLD", PackSkin(SkinOptions("5.43"))},
            {"SECOND", PackSkin("[GLOBALINFO]\r\nVERSION=6.1\r\n[A]\r\n[B]\r\n" + SkinOptions("6.1"))}};
}

class SkinManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log().clear();
        form_ = MakeForm(host_.get(), kFormText, FormResources());
        manager_ = dynamic_cast<TsSkinManager*>(form_->FindComponent("SkinManager"));
        panel_ = dynamic_cast<ProbePanel*>(form_->FindComponent("Panel"));
        button_ = dynamic_cast<ProbeButton*>(form_->FindComponent("Button"));
        ASSERT_TRUE(manager_ && panel_ && button_);
    }
    void TearDown() override {
        form_.reset();
        EXPECT_EQ(PrimaryManager(), nullptr);
    }

    HostWindow host_;
    WarningCatcher warnings_;
    ui::owned<ui::TForm> form_;
    TsSkinManager* manager_ = nullptr;
    ProbePanel* panel_ = nullptr;
    ProbeButton* button_ = nullptr;
};

TEST_F(SkinManagerTest, TheBandsFormLoadsItsInternalSkinAndAnnouncesIt) {
    EXPECT_EQ(manager_->SkinName(), "Cold (internal)");
    EXPECT_TRUE(manager_->SkinLoaded());
    EXPECT_EQ(manager_->SkinInfo(), "5.43");
    EXPECT_EQ(manager_->SkinGlobals().SkinFolder, "");
    EXPECT_TRUE(manager_->IsDefault());
    EXPECT_TRUE(manager_->HookInstalled());
    // Announced once more when loading completed, and both controls resolved.
    EXPECT_GE(panel_->Received(SMC_SKIN_LOADED), 1);
    EXPECT_GE(button_->Received(SMC_SKIN_LOADED), 1);
    EXPECT_EQ(panel_->SkinData().SectionIndex, manager_->FindSectionIndex("PANEL"));
    EXPECT_EQ(button_->SkinData().SectionIndex, manager_->FindSectionIndex("SPEEDBUTTON"));
    EXPECT_TRUE(panel_->SkinData().IsSkinned(true));
    EXPECT_FALSE(panel_->SkinData().Updating);
    // The stored lists: a blank line is kept, an empty list gets its default.
    EXPECT_EQ(manager_->ThirdList(tpButtons), (std::vector<std::string>{"TButton", "TSpeedButton"}));
    EXPECT_EQ(manager_->ThirdList(tpEdits), (std::vector<std::string>{" "}));
    EXPECT_EQ(manager_->ThirdList(tpPanels), (std::vector<std::string>{"TPanel", "TDBCtrlPanel"}));
}

TEST_F(SkinManagerTest, SkinChangeNotifiesInOrderAndControlsReResolve) {
    const int before = panel_->SkinData().SectionIndex;
    manager_->OnBeforeChange = [](ui::TComponent*) { Log().push_back("before"); };
    manager_->OnAfterChange = [](ui::TComponent*) { Log().push_back("after"); };
    Log().clear();
    manager_->SetSkinName("Second");
    EXPECT_EQ(LogOf("Panel", {SMC_SKIN_LOADED, SMC_SKIN_REMOVED, SMC_STOP_ANIMATION, SMC_SKIN_REFRESH}),
              (std::vector<std::string>{"before", "Panel:1", "Panel:16", "Panel:3", "after"}));
    EXPECT_EQ(manager_->SkinInfo(), "6.1");
    EXPECT_EQ(panel_->SkinData().SectionIndex, manager_->FindSectionIndex("PANEL"));
    EXPECT_NE(panel_->SkinData().SectionIndex, before);
    EXPECT_EQ(button_->SkinData().SectionIndex, manager_->FindSectionIndex("SPEEDBUTTON"));
}

TEST_F(SkinManagerTest, InactiveRemovesTheSkinAndActiveReloadsIt) {
    manager_->SetActive(false);
    EXPECT_EQ(panel_->Received(SMC_SKIN_REMOVED), 1);
    EXPECT_EQ(button_->Received(SMC_SKIN_REMOVED), 1);
    EXPECT_EQ(manager_->SkinInfo(), "N/A");
    EXPECT_EQ(manager_->SectionCount(), 0);
    EXPECT_TRUE(manager_->Model().Masks.empty());
    EXPECT_EQ(manager_->Model().MasterBitmap, nullptr);
    EXPECT_EQ(panel_->SkinData().SectionIndex, -1);
    EXPECT_FALSE(panel_->SkinData().IsSkinned());
    EXPECT_FALSE(manager_->HookInstalled());

    panel_->ClearReceived();
    manager_->SetActive(true);
    EXPECT_EQ(manager_->SkinInfo(), "5.43");
    EXPECT_EQ(panel_->Received(SMC_SKIN_LOADED), 1);
    EXPECT_TRUE(panel_->SkinData().IsSkinned(true));
    EXPECT_TRUE(manager_->HookInstalled());
}

TEST_F(SkinManagerTest, AnUnknownNameFallsBackToTheFirstInternalSkin) {
    manager_->SetSkinName("Second");
    manager_->SetSkinName("Nowhere at all");
    EXPECT_EQ(manager_->SkinName(), "Cold (internal)");
    EXPECT_EQ(manager_->SkinInfo(), "5.43");
    EXPECT_TRUE(manager_->Active());
}

TEST_F(SkinManagerTest, NothingToLoadMakesTheManagerInactive) {
    manager_->InternalSkins().clear();
    panel_->ClearReceived();
    manager_->SetSkinName("Nowhere at all");
    EXPECT_FALSE(manager_->Active());
    EXPECT_EQ(panel_->Received(SMC_SKIN_REMOVED), 1);
    EXPECT_EQ(manager_->SkinInfo(), "N/A");
}

TEST_F(SkinManagerTest, HueOffsetReloadsOnlyWhenItChangesAndASkinIsLoaded) {
    const auto panelColor = [&] { return manager_->Section(manager_->FindSectionIndex("PANEL"))->Color; };
    manager_->SetSkinName("Second");
    // Grey colours never change hue: give PANEL a red colour through common sections.
    manager_->SetCommonSections({"[PANEL]", "COLOR = 255"});
    ASSERT_EQ(panelColor(), 255);
    int changes = 0;
    manager_->OnBeforeChange = [&](ui::TComponent*) { ++changes; };
    panel_->ClearReceived();

    manager_->SetHueOffset(120);
    EXPECT_NE(panelColor(), 255);
    EXPECT_EQ(panel_->Received(SMC_SKIN_REFRESH), 1);
    EXPECT_EQ(panel_->Received(SMC_SKIN_LOADED), 0);  // the same skin: indexes stay
    EXPECT_TRUE(manager_->SkinLoaded());
    const auto shifted = panelColor();

    manager_->SetHueOffset(120);  // the same value again: nothing
    EXPECT_EQ(panel_->Received(SMC_SKIN_REFRESH), 1);
    EXPECT_EQ(changes, 0);

    // With no skin loaded a new value is only stored; the next load applies it.
    manager_->SetActive(false);
    panel_->ClearReceived();
    manager_->SetHueOffset(0);
    manager_->SetHueOffset(120);
    EXPECT_EQ(panel_->Received(SMC_SKIN_REFRESH), 0);
    EXPECT_FALSE(manager_->SkinLoaded());
    manager_->SetActive(true);
    EXPECT_EQ(panelColor(), shifted);
}

TEST_F(SkinManagerTest, ARecolourThatFindsAnotherSkinAnnouncesIt) {
    TempDir dir("gone");
    WriteFile(dir.path() / "Gone" / "Options.dat",
              "[GLOBALINFO]\r\nVERSION=2\r\n[A]\r\n[B]\r\n[C]\r\n" + SkinOptions("2"));
    manager_->SetSkinDirectory(dir.str());
    manager_->SetSkinName("Gone");
    ASSERT_EQ(manager_->SkinInfo(), "2");
    std::filesystem::remove_all(dir.path() / "Gone");
    panel_->ClearReceived();
    manager_->SetSaturation(40);
    EXPECT_EQ(manager_->SkinName(), "Cold (internal)");
    EXPECT_EQ(panel_->Received(SMC_SKIN_LOADED), 1);
    EXPECT_EQ(panel_->SkinData().SectionIndex, manager_->FindSectionIndex("PANEL"));
}

TEST_F(SkinManagerTest, ARecolourThatMovesMasksUnderTheSameSectionsReResolves) {
    ComApartment com;
    TempDir dir("moved");
    const std::string head = "[GLOBALINFO]\r\nVERSION=1\r\n[BOX]\r\nCOLOR=255\r\n";
    const std::string panel = "[PANEL]\r\nCOLOR=255\r\nBORDERSMASK=FRAME.BMP\r\n";
    std::filesystem::create_directories(dir.path() / "Moved");
    std::filesystem::copy_file(win::Utf8ToWide(VELMAP_TEST_SOURCE_DIR "/tests/skins/folder/FRAME.BMP"),
                               dir.path() / "Moved" / "FRAME.BMP");
    WriteFile(dir.path() / "Moved" / "Options.dat", head + panel);
    manager_->SetSkinDirectory(dir.str());
    manager_->SetSkinName("Moved");
    const auto expected = [&] {
        return manager_->FindMaskIndex(manager_->FindSectionIndex("PANEL"), "PANEL", "BORDERSMASK");
    };
    ASSERT_EQ(panel_->SkinData().BorderMaskIndex, expected());
    // The same sections, but now BOX has a mask first: PANEL's moves on.
    WriteFile(dir.path() / "Moved" / "Options.dat", head + "BORDERSMASK=FRAME.BMP\r\n" + panel);
    manager_->SetHueOffset(30);
    ASSERT_EQ(manager_->SkinName(), "Moved");
    EXPECT_EQ(panel_->SkinData().BorderMaskIndex, expected());
    EXPECT_GE(expected(), 1);
}

TEST_F(SkinManagerTest, ABrokenPackedSkinFallsBackToTheFirstInternalSkin) {
    TempDir dir("badmagic");
    WriteFile(dir.path() / "Broken.asz", Bytes{'N', 'O', 'P', 'E', 0, 0, 0, 0});
    manager_->SetSkinName("Second");
    manager_->SetSkinDirectory(dir.str());
    manager_->SetSkinName("Broken");
    EXPECT_EQ(warnings_.texts.size(), 1u);
    EXPECT_EQ(manager_->SkinName(), "Cold (internal)");
    EXPECT_EQ(manager_->SkinInfo(), "5.43");
    EXPECT_TRUE(manager_->Active());

    // When the broken one is the first internal skin itself, the skin is dropped.
    manager_->InternalSkins().front().Data = Bytes{'N', 'O', 'P', 'E', 0, 0, 0, 0};
    manager_->SetSkinName("Cold (internal)");
    EXPECT_FALSE(manager_->Active());
    EXPECT_EQ(manager_->SectionCount(), 0);
}

TEST_F(SkinManagerTest, AMalformedSkinFailsLoudlyAndKeepsTheSkinInForce) {
    TempDir dir("malformed");
    WriteFile(dir.path() / "Bad" / "Options.dat", SkinOptions("7.0", "[X]\r\nGRADIENTDATA=1;2;x;4;5\r\n"));
    manager_->SetSkinDirectory(dir.str());
    const int sections = manager_->SectionCount();
    EXPECT_THROW(manager_->SetSkinName("Bad"), velmap::SkinConvertError);
    EXPECT_EQ(manager_->SectionCount(), sections);
    EXPECT_EQ(manager_->SkinInfo(), "5.43");
    EXPECT_TRUE(manager_->SkinLoaded());
    EXPECT_FALSE(SkinChangeInProgress());
}

TEST_F(SkinManagerTest, PackedFileWinsOverFolderAndFolderOverInternalSkin) {
    TempDir dir("order");
    WriteFile(dir.path() / "Second.asz", PackSkin(SkinOptions("1.1")));
    WriteFile(dir.path() / "Second" / "Options.dat", SkinOptions("2.2"));
    manager_->SetSkinDirectory(dir.str());

    manager_->SetSkinName("Second");
    EXPECT_EQ(manager_->SkinInfo(), "1.1");
    EXPECT_TRUE(manager_->FromPackedFile());
    EXPECT_EQ(manager_->SkinGlobals().SkinFolder, dir.str() + "\\");

    std::filesystem::remove(dir.path() / "Second.asz");
    manager_->SetSkinName("Second");
    EXPECT_EQ(manager_->SkinInfo(), "2.2");
    EXPECT_EQ(manager_->SkinGlobals().SkinFolder, dir.str() + "\\Second\\");

    std::filesystem::remove_all(dir.path() / "Second");
    manager_->SetSkinName("Second");
    EXPECT_EQ(manager_->SkinInfo(), "6.1");
    EXPECT_EQ(manager_->SkinGlobals().SkinFolder, "");

    std::vector<std::string> names;
    WriteFile(dir.path() / "Packed.v2.asz", PackSkin(SkinOptions("1")));
    WriteFile(dir.path() / "Upper.ASZ", PackSkin(SkinOptions("1")));
    WriteFile(dir.path() / "Folder" / "Options.dat", SkinOptions("1"));
    std::filesystem::create_directories(dir.path() / "Empty");
    EXPECT_EQ(manager_->ListSkins(names, 2), "Cold (internal)");
    EXPECT_EQ(names, (std::vector<std::string>{"Cold (internal)", "Folder", "Packed", "Second"}));
    manager_->ListSkins(names, 1);
    EXPECT_EQ(names, (std::vector<std::string>{"Cold (internal)", "Packed", "Second"}));
}

TEST_F(SkinManagerTest, RelativeDirectoryMeansExeFolderForFoldersButCurrentDirForPackedFiles) {
    const std::string sub = "velmap-rel-" + std::to_string(::GetCurrentProcessId());
    const std::filesystem::path exeDir = win::Utf8ToWide(HostExecutableFolder());
    TempDir cwd("cwd");
    wchar_t old[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, old);
    ::SetCurrentDirectoryW(cwd.path().c_str());

    WriteFile(exeDir / sub / "Rel" / "Options.dat", SkinOptions("3.3"));
    WriteFile(cwd.path() / sub / "Rel" / "Options.dat", SkinOptions("4.4"));  // never looked at
    WriteFile(cwd.path() / sub / "Rel.asz", PackSkin(SkinOptions("5.5")));
    manager_->SetSkinDirectory(".\\" + sub);
    EXPECT_EQ(manager_->NormalizedSkinDirectory(), HostExecutableFolder() + sub);

    manager_->SetSkinName("Rel");
    EXPECT_EQ(manager_->SkinInfo(), "5.5");
    std::filesystem::remove(cwd.path() / sub / "Rel.asz");
    manager_->SetSkinName("Rel");
    EXPECT_EQ(manager_->SkinInfo(), "3.3");

    ::SetCurrentDirectoryW(old);
    std::filesystem::remove_all(exeDir / sub);
}

TEST_F(SkinManagerTest, TheSealedDirectoryAlwaysLeadsToTheInternalSkin) {
    manager_->SetSkinName("Second");
    manager_->SetSkinDirectory(SealedSkinDirectory);
    manager_->SetSkinName("Cold (internal)");
    EXPECT_EQ(manager_->SkinInfo(), "5.43");
    EXPECT_FALSE(manager_->FromPackedFile());
    EXPECT_EQ(manager_->SkinGlobals().SkinFolder, "");
    std::vector<std::string> names;
    manager_->ListSkins(names, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"Cold (internal)", "Second"}));
}

TEST_F(SkinManagerTest, CommonSectionsLoseBlanksAndJoinEveryLoad) {
    manager_->SetCommonSections({"[ EXTRA ]", "COLOR = 4210752", "; a comment stays as it is"});
    EXPECT_EQ(manager_->CommonSections(),
              (std::vector<std::string>{"[EXTRA]", "COLOR=4210752", "; a comment stays as it is"}));
    int extra = manager_->FindSectionIndex("EXTRA");
    ASSERT_GE(extra, 0);
    EXPECT_EQ(manager_->Section(extra)->Color, 4210752);
    manager_->SetSkinName("Second");
    EXPECT_GE(manager_->FindSectionIndex("EXTRA"), 0);
}

TEST_F(SkinManagerTest, CommonSectionImagesComeFromTheSkinBeingLoaded) {
    // Skin "A" holds the images the common sections name, "B" does not: what
    // is found must not depend on which skin was loaded before.
    ComApartment com;
    TempDir dir("common");
    const std::filesystem::path sources = win::Utf8ToWide(VELMAP_TEST_SOURCE_DIR "/tests/skins");
    std::filesystem::create_directories(dir.path() / "A");
    std::filesystem::copy_file(sources / "folder" / "FRAME.BMP", dir.path() / "A" / "FRAME.BMP");
    std::filesystem::copy_file(sources / "jpeg" / "big.jpg", dir.path() / "A" / "big.jpg");
    WriteFile(dir.path() / "A" / "Options.dat", SkinOptions("1.0"));
    WriteFile(dir.path() / "B" / "Options.dat", SkinOptions("2.0"));
    manager_->SetSkinDirectory(dir.str());
    manager_->SetCommonSections({"[EXTRA]", "BORDERSMASK=FRAME.BMP", "PATTERN=big.jpg"});
    auto found = [&] {
        const int extra = manager_->FindSectionIndex("EXTRA");
        return std::pair(manager_->FindMaskIndex(extra, "EXTRA", "BORDERSMASK") >= 0,
                         manager_->FindPatternIndex(extra, "EXTRA", "PATTERN") >= 0);
    };
    for (const char* name : {"A", "B", "A", "A"}) {
        manager_->SetSkinName(name);
        const bool own = std::string(name) == "A";
        EXPECT_EQ(found(), std::pair(own, own)) << "after loading " << name;
    }
}

TEST_F(SkinManagerTest, AnotherManagersRefreshIsIgnored) {
    ui::owned<TsSkinManager> other(ui::Make<TsSkinManager>(nullptr));
    other->InternalSkins().push_back(StoredSkin("Other", SkinOptions("8.8")));
    EXPECT_FALSE(other->IsDefault());
    panel_->SkinData().CacheStale = false;
    panel_->SkinData().Updating = true;
    other->SetSkinName("Other");  // broadcasts to its own (no) form only
    panel_->Perform(SM_SKINCMD, SkinWParam(SMC_SKIN_REFRESH), reinterpret_cast<LPARAM>(other.get()));
    EXPECT_FALSE(panel_->SkinData().CacheStale);
    EXPECT_TRUE(panel_->SkinData().Updating);
    EXPECT_FALSE(other->HookInstalled());
    panel_->Perform(SM_SKINCMD, SkinWParam(SMC_SKIN_REFRESH), reinterpret_cast<LPARAM>(manager_));
    EXPECT_TRUE(panel_->SkinData().CacheStale);
    EXPECT_FALSE(panel_->SkinData().Updating);
}

TEST_F(SkinManagerTest, SetHotWindowTellsTheOldWindowItWasLeftAndTheNewOneEntered) {
    panel_->HandleNeeded();
    ui::owned<ProbePanel> other(ui::Make<ProbePanel>(nullptr));
    other->SetName("Other");
    other->SetParent(form_.get());
    other->HandleNeeded();
    Log().clear();
    manager_->SetHotWindow(panel_->Handle());
    manager_->SetHotWindow(panel_->Handle());
    manager_->SetHotWindow(other->Handle());
    EXPECT_EQ(Log(), (std::vector<std::string>{"Panel:29", "Panel:30", "Other:29"}));
    manager_->SetHotWindow(nullptr);
    EXPECT_EQ(Log().back(), "Other:30");
}

Bytes ReadAsset(const char* name) {
    std::ifstream in(std::filesystem::path(VELMAP_TEST_SOURCE_DIR) / "assets" / "skins" / "cold" / name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The band's own skin from its sources, packed as the build ships it, found
// through the band's sealed skin directory.
TEST(SkinManagerColdSkin, TheInternalSkinLoadsFromItsArchiveAndReachesTheControls) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the images decode through WIC
    const Bytes cold = velmap::test::BuildArchive({{"Options.dat", ReadAsset("Options.dat")},
                                                   {"ButtonHuge.bmp", ReadAsset("ButtonHuge.bmp")},
                                                   {"Master.bmp", ReadAsset("Master.bmp")}});
    HostWindow host;
    WarningCatcher warnings;
    Log().clear();
    {
        auto form = MakeForm(host.get(), kFormText, {{"COLD", cold}, {"SECOND", PackSkin(SkinOptions("6.1"))}});
        auto* m = dynamic_cast<TsSkinManager*>(form->FindComponent("SkinManager"));
        auto* panel = dynamic_cast<ProbePanel*>(form->FindComponent("Panel"));
        auto* button = dynamic_cast<ProbeButton*>(form->FindComponent("Button"));
        ASSERT_TRUE(m && panel && button);
        EXPECT_EQ(m->SkinInfo(), "5.43");
        EXPECT_EQ(m->SkinGlobals().SkinFolder, "");
        ASSERT_NE(m->Model().MasterBitmap, nullptr);
        EXPECT_FALSE(m->Model().MasterBitmap->Empty());
        EXPECT_EQ(m->Section(0)->Name, "GLOBALINFO");
        EXPECT_GE(panel->Received(SMC_SKIN_LOADED), 1);
        EXPECT_GE(button->Received(SMC_SKIN_LOADED), 1);
        EXPECT_EQ(panel->SkinData().SectionIndex, m->FindSectionIndex("PANEL"));
        EXPECT_EQ(panel->SkinData().BorderMaskIndex,
                  m->FindMaskIndex(panel->SkinData().SectionIndex, "PANEL", "BORDERSMASK"));
        EXPECT_GE(panel->SkinData().BorderMaskIndex, 0);
        EXPECT_EQ(button->SkinData().SectionIndex, m->FindSectionIndex("SPEEDBUTTON"));
        EXPECT_TRUE(warnings.texts.empty());
    }
    ::CoUninitialize();
}

TEST(SkinManagerPrimary, ASecondManagerIsNeverPrimaryNorPromoted) {
    WarningCatcher warnings;
    ui::owned<TsSkinManager> first(ui::Make<TsSkinManager>(nullptr));
    ui::owned<TsSkinManager> second(ui::Make<TsSkinManager>(nullptr));
    first->InternalSkins().push_back(StoredSkin("A", SkinOptions("1")));
    second->InternalSkins().push_back(StoredSkin("B", SkinOptions("2")));
    EXPECT_TRUE(first->IsDefault());
    EXPECT_FALSE(second->IsDefault());
    EXPECT_EQ(PrimaryManager(), first.get());

    second->SetSkinName("B");
    EXPECT_TRUE(second->SkinLoaded());
    EXPECT_FALSE(second->HookInstalled());
    EXPECT_FALSE(SkinHookInstalled());
    second->SetIsDefault(false);  // asking changes nothing
    EXPECT_FALSE(second->IsDefault());
    first->SetIsDefault(false);  // the primary manager stays primary
    EXPECT_TRUE(first->IsDefault());

    first->SetSkinName("A");
    EXPECT_TRUE(first->HookInstalled());
    // Made primary on request, the second manager takes the hook over; the
    // first one going away then leaves it in place.
    second->SetIsDefault(true);
    EXPECT_TRUE(second->IsDefault());
    EXPECT_TRUE(second->HookInstalled());
    EXPECT_FALSE(first->HookInstalled());
    first.reset();
    EXPECT_TRUE(SkinHookInstalled());
    EXPECT_EQ(PrimaryManager(), second.get());
    second->SetActive(false);
    EXPECT_FALSE(SkinHookInstalled());
    EXPECT_TRUE(second->IsDefault());
}

TEST(SkinManagerPrimary, AManagerDestroyedLeavesNoPrimaryBehind) {
    WarningCatcher warnings;
    ui::owned<TsSkinManager> first(ui::Make<TsSkinManager>(nullptr));
    ui::owned<TsSkinManager> second(ui::Make<TsSkinManager>(nullptr));
    first->InternalSkins().push_back(StoredSkin("A", SkinOptions("1")));
    second->InternalSkins().push_back(StoredSkin("B", SkinOptions("2")));
    first->SetSkinName("A");
    second->SetSkinName("B");
    EXPECT_TRUE(first->HookInstalled());
    EXPECT_FALSE(second->HookInstalled());
    first.reset();
    EXPECT_EQ(PrimaryManager(), nullptr);
    EXPECT_FALSE(SkinHookInstalled());
    EXPECT_FALSE(second->IsDefault());
    EXPECT_FALSE(second->HookInstalled());

    // Only the primary manager changes the process-wide button effects.
    const TacBtnEffectSet none{};
    second->AnimEffects().Buttons.SetEvents(none);
    EXPECT_EQ(ButtonEffectEvents, TacBtnEffectSet::All());
    EXPECT_EQ(second->AnimEffects().Buttons.OwnEvents(), none);
    second->SetIsDefault(true);  // asked for, with no primary left
    EXPECT_TRUE(second->IsDefault());
    EXPECT_TRUE(second->HookInstalled());
    second->AnimEffects().Buttons.SetEvents(none);
    EXPECT_EQ(ButtonEffectEvents, none);
    ButtonEffectEvents = TacBtnEffectSet::All();
}

TEST(SkinManagerOptions, DefaultsAndCommonSectionsBeforeAName) {
    WarningCatcher warnings;
    ui::owned<TsSkinManager> m(ui::Make<TsSkinManager>(nullptr));
    EXPECT_TRUE(m->Active());
    EXPECT_EQ(m->SkinDirectory(), "c:\\Skins");
    EXPECT_EQ(m->SkinInfo(), "N/A");
    EXPECT_EQ(m->Version(), "5.46");
    m->SetVersion("1.0");
    EXPECT_EQ(m->Version(), "5.46");
    EXPECT_EQ(m->SkinningRules(), TacSkinningRules::All());
    EXPECT_EQ(m->MenuSupport().IcoLineSkin, "ICOLINE");
    EXPECT_EQ(m->MenuSupport().ExtraLineWidth, 32);
    EXPECT_EQ(m->AnimEffects().DialogShow.Time, 100);
    EXPECT_EQ(m->AnimEffects().FormShow.Time, 0);
    EXPECT_EQ(m->AnimEffects().SkinChanging.Time, 100);
    EXPECT_EQ(m->ThirdList(tpBitBtns), std::vector<std::string>{"TBitBtn"});
    // Common sections stored before the skin name neither load a skin nor
    // switch the manager off for want of one.
    m->SetCommonSections({"[X]", "COLOR = 1"});
    EXPECT_TRUE(m->Active());
    EXPECT_EQ(m->SkinName(), "");
}

std::vector<HWND>& CreatedWindows() {
    static std::vector<HWND> created;
    return created;
}

void RecordCreation(int code, WPARAM wparam, LPARAM) {
    if (code == HCBT_CREATEWND) CreatedWindows().push_back(reinterpret_cast<HWND>(wparam));
}

HWND MakeStatic() { return ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr); }

TEST(SkinManagerHook, SeesWindowCreationOnItsThreadOnlyWhileASkinIsActive) {
    WarningCatcher warnings;
    SetSkinHookObserver(RecordCreation);
    CreatedWindows().clear();
    ui::owned<TsSkinManager> manager(ui::Make<TsSkinManager>(nullptr));
    manager->InternalSkins().push_back(StoredSkin("A", SkinOptions("1")));

    HWND before = MakeStatic();
    EXPECT_TRUE(CreatedWindows().empty());

    manager->SetSkinName("A");
    HWND during = MakeStatic();
    EXPECT_EQ(CreatedWindows(), std::vector<HWND>{during});

    HWND elsewhere = nullptr;
    std::thread([&] {
        elsewhere = MakeStatic();
        ::DestroyWindow(elsewhere);
    }).join();
    EXPECT_EQ(CreatedWindows(), std::vector<HWND>{during});

    manager->SetActive(false);
    HWND after = MakeStatic();
    EXPECT_EQ(CreatedWindows(), std::vector<HWND>{during});

    for (HWND w : {before, during, after}) ::DestroyWindow(w);
    SetSkinHookObserver(nullptr);
}

TEST(SkinManagerHook, AnObserverThatThrowsIsReportedAndTheWindowStillComes) {
    ASSERT_TRUE(InstallSkinHook());
    SetSkinHookObserver([](int, WPARAM, LPARAM) { throw std::runtime_error("observer failed"); });
    std::string reported;
    ui::SetWindowProcErrorHandler([&](const char* what) { reported = what; });
    HWND wnd = nullptr;
    EXPECT_NO_THROW(wnd = MakeStatic());
    EXPECT_NE(wnd, nullptr);
    EXPECT_EQ(reported, "observer failed");
    ui::SetWindowProcErrorHandler(nullptr);
    SetSkinHookObserver(nullptr);
    RemoveSkinHook();
    if (wnd) ::DestroyWindow(wnd);
}

}  // namespace
}  // namespace velmap::skin

namespace velmap::skin {
namespace {

using namespace velmap::skin::test;

// Managers storing the same packed skin on one thread hold one decoded model,
// never written to: a recolouring manager decodes a model of its own, and the
// last holder letting go frees it.
TEST(SkinManagerShared, OneDecodedInternalSkinAThreadFreedWithItsLastManager) {
    WarningCatcher warnings;
    auto make = [](const std::string& name) {
        ui::owned<TsSkinManager> m(ui::Make<TsSkinManager>(nullptr));
        m->InternalSkins().push_back(StoredSkin("A", SkinOptions("1", "[TINT]\r\nCOLOR=255\r\n")));
        m->InternalSkins().push_back(StoredSkin("B", SkinOptions("2")));
        m->SetSkinName(name);
        return m;
    };
    ASSERT_EQ(SharedSkinCount(), 0u);
    auto first = make("A");
    auto second = make("A");
    auto other = make("B");
    EXPECT_EQ(&first->Model(), &second->Model());
    EXPECT_TRUE(second->SharesModel());
    EXPECT_NE(&first->Model(), &other->Model());
    EXPECT_EQ(SharedSkinCount(), 2u);

    const int panel = first->FindSectionIndex("TINT");  // red: grey is never recoloured
    ASSERT_GE(panel, 0);
    const auto colour = first->Section(panel)->Color;
    second->SetHueOffset(120);
    EXPECT_NE(&first->Model(), &second->Model());
    EXPECT_NE(second->Section(panel)->Color, colour);
    EXPECT_EQ(first->Section(panel)->Color, colour) << "the shared model was recoloured";

    // Another thread decodes its own: the models' bitmaps carry memory DCs.
    const SkinModel* elsewhere = nullptr;
    std::thread([&] {
        auto m = make("A");
        elsewhere = &m->Model();
    }).join();
    EXPECT_NE(elsewhere, &first->Model());

    first.reset();
    EXPECT_TRUE(second->SkinLoaded());
    second->SetHueOffset(0);  // decoded again: its last holder is gone
    EXPECT_EQ(second->Section(panel)->Color, colour);
    other.reset();
    second.reset();
    EXPECT_EQ(SharedSkinCount(), 0u) << "a decoded skin outlived its managers";
    auto again = make("A");
    EXPECT_EQ(SharedSkinCount(), 1u);
    EXPECT_TRUE(again->SkinLoaded());
    EXPECT_TRUE(warnings.texts.empty());
}

}  // namespace
}  // namespace velmap::skin
