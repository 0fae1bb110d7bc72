// Decoded internal skins shared by the skin managers of one thread: every
// band of the taskbar stores the same packed skin, so the first manager that
// loads it decodes it and the others take that model read-only. A model lives
// as long as a manager holds it; nothing is kept once the last one lets go
// (the module can then be unloaded), and the next load decodes again.
//
// Sharing stops at the thread: the models' bitmaps carry memory DCs, which
// GDI lets one thread use at a time. The shell hosts all its bands on one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "skin/data/skin_model.h"

namespace velmap::skin {

// What a decoded skin depends on besides its bytes.
struct SharedSkinSettings {
    int HueOffset = 0;
    int Saturation = 0;
    std::string CommonSections;
};

// The model decoded from archive with settings, shared with every other
// holder on this thread. When none is alive, decode fills a new model (its
// HueOffset, Saturation and CommonSections already set) and returns whether
// it loaded; false gives nullptr and nothing is kept, and an exception from
// decode propagates the same way.
std::shared_ptr<const SkinModel> ShareDecodedSkin(std::span<const std::uint8_t> archive,
                                                  const SharedSkinSettings& settings,
                                                  const std::function<bool(SkinModel&)>& decode);

// Decoded skins alive in the process (all threads).
std::size_t SharedSkinCount();

}  // namespace velmap::skin
