#include "skin/controls/control_kinds.h"

namespace velmap::skin {

std::string_view DefaultSectionForKind(int kind) {
    switch (kind) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 10:
        case 41:
        case 76:
        case 78:
        case 83:
        case 84:
        case 96:
        case 97:
        case 131:
        case 140:
        case 227:
            return "EDIT";
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
        case 16:
        case 17:
        case 18:
        case 81:
        case 82:
            return "COMBOBOX";
        case 19:
            return "BAR";
        case 20:
            return "BARTITLE";
        case 32:
        case 152:
            return "CHECKBOX";
        case 33:
            return "RADIOBUTTON";
        case 51:
        case 59:
        case 68:
        case 73:
            return "PANEL";
        case 52:
        case 58:
            return "PANEL_LOW";
        case 53:
        case 54:
        case 60:
            return "TOOLBAR";
        case 56:
            return "DRAGBAR";
        case 57:
            return "TABSHEET";
        case 74:
        case 226:
            return "GROUPBOX";
        case 75:
            return "SPLITTER";
        case 92:
        case 95:
            return "SPEEDBUTTON";
        case 93:
        case 94:
            return "BUTTON";
        case 98:
            return "TOOLBUTTON";
        case 141:
        case 143:
            return "PAGECONTROL";
        case 151:
            return "STATUSBAR";
        case 161:
            return "GAUGE";
        case 165:
            return "TRACKBAR";
        default:
            return {};
    }
}

std::uint32_t MixTransparentColor(std::uint32_t parent, std::uint32_t section, int transparency) {
    std::uint32_t out = parent & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        int p = static_cast<int>((parent >> shift) & 0xFF);
        int s = static_cast<int>((section >> shift) & 0xFF);
        // Arithmetic shift of a possibly negative product, then clamp.
        int v = ((p - s) * transparency + s * 256) >> 8;
        if (v < 0) v = 0;
        if (v > 255) v = 255;
        out |= static_cast<std::uint32_t>(v) << shift;
    }
    return out;
}

}  // namespace velmap::skin
