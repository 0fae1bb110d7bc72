// The run-time skin data model: section, mask and pattern tables, the master
// bitmap and the skin-wide values, built from an options file and its images.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "skin/data/ini_file.h"
#include "skin/data/skin_files.h"
#include "skin/data/skin_types.h"

namespace velmap {

struct TsStoredSkin;

class SkinModel {
public:
    SkinModel() = default;
    SkinModel(const SkinModel&) = delete;
    SkinModel& operator=(const SkinModel&) = delete;

    TsGeneralDataArray Sections;
    TsMaskArray Masks;
    TsPatternArray Patterns;
    std::unique_ptr<Bitmap> MasterBitmap;  // none when the skin names no (readable) master bitmap
    TsSkinData SkinData;
    CommonIndexes Indexes;

    // Applied by every load.
    int HueOffset = 0;
    int Saturation = 0;
    // INI text merged into every loaded skin (blanks already removed by the owner).
    std::string CommonSections;

    // The loading steps, in the order a load runs them. They throw
    // SkinConvertError on a malformed number; the tables then hold what was
    // built so far.
    void LoadMasks(const MemIniFile& ini, SkinFiles& files);
    void LoadPatterns(const MemIniFile& ini, SkinFiles& files);
    void LoadSections(const MemIniFile& ini);

    // A whole load from options text and its image files. Built aside and put
    // in force only when it succeeds: on an error the model is unchanged and
    // the error propagates.
    void Load(std::string_view options_text, SkinFiles& files);
    // A stored skin without archive data, from its collections.
    void LoadStored(const TsStoredSkin& skin);

    // Frees every table and bitmap.
    void Clear();
    // Swaps the loaded tables with another model's (Manager links follow the tables).
    void Swap(SkinModel& other) noexcept;

    void RebuildCommonIndexes();

    // Recolouring of every bitmap pixel and skin colour; key-coloured and grey
    // pixels and colours are left alone.
    void ApplyColorMap(const std::function<TColor(TColor)>& map);
    void ApplyHueOffset();
    void ApplySaturation();

    // Lookups; -1 when not found. Names compare exactly.
    int FindSectionIndex(std::string_view name) const;
    int FindMaskIndex(int section_index, std::string_view section_name, std::string_view mask_name) const;
    int FindTextureIndex(int section_index, std::string_view section_name, std::string_view key_name) const;
    int FindPatternIndex(int section_index, std::string_view section_name, std::string_view key_name) const;

    struct Size {
        int cx = 0, cy = 0;
        friend bool operator==(const Size&, const Size&) = default;
    };
    Size MaskStateSize(int mask_index) const;
    int MaskBorderWidthLeft(int mask_index) const;
    int MaskBorderWidthRight(int mask_index) const;
    int MaskBorderWidthBottom(int mask_index) const;

    TColor GlobalColor() const;
    TColor GlobalFontColor() const;
    TColor GlobalHotColor() const;

private:
    enum class Table { Masks, Textures, Patterns };
    int FindImage(Table table, int section_index, std::string_view section_name, std::string_view key) const;
    void LoadCommonMasks(const MemIniFile& common);
    void LoadCommonPatterns(const MemIniFile& common);
    void LoadCommonSections(const MemIniFile& common);
    void AddMaskFromValue(std::string_view section, std::string_view key, std::string_view value, SkinFiles& files);
    void RelinkMasks() noexcept;
};

}  // namespace velmap
