// The skin engine's private window message and its sub-commands. Skinned
// controls, their parents and the skin manager talk only through it; it is
// always sent, never posted, so each request is answered before the sender
// goes on.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velmap::skin {

// A fixed number: the value RegisterWindowMessage returns is not used, so
// every module of the process agrees on it without a look-up.
inline constexpr UINT SM_SKINCMD = 0xA100;

// High word of wparam. The gaps (18, 24, 28, 33-50, 53-59) are unused.
enum SkinCommand : std::uint16_t {
    SMC_SKIN_LOADED = 1,
    SMC_SKIN_REMOVED = 2,
    SMC_SKIN_REFRESH = 3,
    SMC_GET_PROVIDER = 4,
    SMC_GET_CACHE = 5,
    SMC_PARENT_READY = 6,
    SMC_IS_SKINNED = 7,
    SMC_SET_UPDATING = 8,
    SMC_FREEZE_CACHE = 9,
    SMC_QUERY_BUSY = 10,
    SMC_QUERY_HALF_VISIBLE = 11,
    SMC_PARENT_BG_CHANGED = 12,
    SMC_SECTION_CHANGED = 13,
    SMC_MENU_SHOWN = 14,
    SMC_SET_REPAINTING_CHILD = 15,
    SMC_STOP_ANIMATION = 16,
    SMC_INVALIDATE_CACHE = 17,
    SMC_QUERY_BG_VARIES = 19,
    SMC_REPAINT_CHILDREN = 20,
    SMC_GET_BG_COLOR = 21,
    SMC_SET_HALF_VISIBLE = 22,
    SMC_REPAINT_NOW = 23,
    SMC_CONTROL_CHANGED = 25,
    SMC_GET_SKIN_INDEX = 26,
    SMC_GET_CAPTION_HEIGHT = 27,
    SMC_MOUSE_ENTER = 29,
    SMC_MOUSE_LEAVE = 30,
    SMC_BEGIN_UPDATE = 31,
    SMC_END_UPDATE = 32,
    SMC_BEGIN_SCROLL = 51,
    SMC_END_SCROLL = 52,
    SMC_GET_APPLICATION = 60,
    SMC_GET_CLIENT_OFFSET = 61,
};

// wparam of a skin message: sub-command high, small argument low.
constexpr WPARAM SkinWParam(SkinCommand code, std::uint16_t arg = 0) noexcept {
    return static_cast<WPARAM>((static_cast<std::uint32_t>(code) << 16) | arg);
}
constexpr std::uint16_t SkinCommandOf(WPARAM wparam) noexcept {
    return static_cast<std::uint16_t>((wparam >> 16) & 0xFFFF);
}
constexpr std::uint16_t SkinArgOf(WPARAM wparam) noexcept { return static_cast<std::uint16_t>(wparam & 0xFFFF); }

// Registers the string "SM_SKINCMD" with the system once per process (module
// start-up calls it; so does every skin manager and skin state as a fallback).
// Returns the registered number, which nothing uses.
UINT RegisterSkinMessage() noexcept;

}  // namespace velmap::skin
