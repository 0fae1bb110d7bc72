// Basic value types of the component framework: colours, sets, enums.
#pragma once

#include <windows.h>

#include "skin/paint/color.h"
#include "ui/error.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace velmap::ui {

// The engine's colour vocabulary: 0x00BBGGRR, negative for a system colour.
using paint::cl3DDkShadow;
using paint::cl3DLight;
using paint::clBlack;
using paint::clBlue;
using paint::clBtnFace;
using paint::clBtnHighlight;
using paint::clBtnShadow;
using paint::clBtnText;
using paint::clFuchsia;
using paint::clGray;
using paint::clGrayText;
using paint::clGreen;
using paint::clHighlight;
using paint::clLime;
using paint::clMaroon;
using paint::clNavy;
using paint::clNone;
using paint::clRed;
using paint::clSilver;
using paint::clWhite;
using paint::clWindow;
using paint::clWindowText;
using paint::ColorToRGB;
using paint::SystemColor;
using paint::TColor;

// GDI takes a COLORREF: the resolved colour without the top byte.
inline COLORREF ColorRefOf(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)) & 0xFFFFFF; }

// Looks a colour up by identifier (clBlack, clBtnFace...); false when unknown.
bool IdentToColor(const std::string& ident, TColor& out);

// A small set over an enum whose values are below 32.
template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members) {
        for (E m : members) Include(m);
    }
    constexpr bool Contains(E m) const { return (bits_ >> static_cast<unsigned>(m)) & 1u; }
    constexpr void Include(E m) { bits_ |= 1u << static_cast<unsigned>(m); }
    constexpr void Exclude(E m) { bits_ &= ~(1u << static_cast<unsigned>(m)); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    static constexpr TSet FromBits(std::uint32_t b) {
        TSet s;
        s.bits_ = b;
        return s;
    }
    constexpr bool operator==(const TSet&) const = default;

private:
    std::uint32_t bits_ = 0;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TEdgeStyle { esNone, esRaised, esLowered };
enum class TCoolBandMaximize { bmNone, bmClick, bmDblClick };

}  // namespace velmap::ui
