// Facts about control kinds: the section a control of a kind paints with
// when none is named, and the kinds that never take the hot look.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmap::skin {

// Kinds the skinned controls of this system set in their constructors.
inline constexpr int ControlKindPanel = 51;
inline constexpr int ControlKindSpeedButton = 92;

// Section of a kind, or an empty view when the kind has none (the caller then
// uses the class name of the object that owns the skin state).
std::string_view DefaultSectionForKind(int kind);

// 51 to 74, 110 and 141 to 161: panels, bars, pages and the like, which
// never show a hot look under the mouse.
constexpr bool IsNoHotKind(int kind) {
    return (kind >= 51 && kind <= 74) || kind == 110 || (kind >= 141 && kind <= 161);
}

// The colour a child sees through a section painted in colour `section` with
// `transparency` percent over the parent colour `parent` (both 0x00BBGGRR):
// per channel LimitToByte(((P - S) * T + S * 256) >> 8). The top byte is the
// parent's.
std::uint32_t MixTransparentColor(std::uint32_t parent, std::uint32_t section, int transparency);

}  // namespace velmap::skin
