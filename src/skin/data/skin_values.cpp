#include "skin/data/skin_values.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "skin/data/convert.h"

namespace velmap {

namespace {

std::int16_t Clamp16(std::int32_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, INT16_MIN, INT16_MAX));
}
std::int16_t NonNegative16(std::int32_t v) { return Clamp16(std::max(v, 0)); }

// Characters from..to (1-based, inclusive), cut at the end of the value.
std::string_view Columns(std::string_view v, size_t from, size_t to) {
    if (from > v.size()) return {};
    return v.substr(from - 1, std::min(to, v.size()) - (from - 1));
}
std::int32_t ColInt(std::string_view v, size_t from, size_t to) { return StrToIntStrict(Columns(v, from, to)); }

void FixedRect(std::string_view v, MaskValue& m) {
    m.R.Left = ColInt(v, 2, 5);
    m.R.Top = ColInt(v, 7, 10);
    m.R.Right = ColInt(v, 12, 15);
    m.R.Bottom = ColInt(v, 17, 20);
}

std::vector<std::string_view> Split(std::string_view s, std::string_view seps, bool keep_empty) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (true) {
        size_t end = pos;
        while (end < s.size() && seps.find(s[end]) == std::string_view::npos) ++end;
        if (end == s.size()) end = std::string_view::npos;
        std::string_view part = s.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (keep_empty || !part.empty()) out.push_back(part);
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    return out;
}

// Words of a "#" value: runs between blanks, or the whole content of a
// parenthesised group ("#NAME (0,0,30,12) (3,1,2,1)" or "#NAME 0,0,30,12 3,1,2,1").
std::vector<std::string_view> DescribedWords(std::string_view v) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < v.size()) {
        char c = v[i];
        if (c == ' ' || c == '\t' || c == ')') {
            ++i;
        } else if (c == '(') {
            size_t end = v.find(')', i + 1);
            if (end == std::string_view::npos) end = v.size();
            words.push_back(v.substr(i + 1, end - i - 1));
            i = end;
        } else {
            size_t end = v.find_first_of(" \t()", i);
            if (end == std::string_view::npos) end = v.size();
            words.push_back(v.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

std::int32_t Item(const std::vector<std::string_view>& items, size_t i) {
    return StrToIntStrict(i < items.size() ? items[i] : std::string_view{});
}

}  // namespace

TsGradArray ParseGradientData(std::string_view text) {
    // Five ";"-separated fields a segment (empty fields do not count); the
    // fifth is not used, and an incomplete last segment is left out.
    TsGradArray out;
    std::string_view f[5];
    std::size_t have = 0, pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(';', pos);
        if (end == std::string_view::npos) end = text.size();
        if (end > pos) f[have++] = text.substr(pos, end - pos);
        pos = end + 1;
        if (have < 5) continue;
        have = 0;
        GradientSegment g;
        g.Color1 = StrToIntStrict(f[0]);
        g.Color2 = StrToIntStrict(f[1]);
        // A share outside 0..100 would wrap in a byte; keep it in range.
        g.Percent = static_cast<std::uint8_t>(std::clamp(StrToIntStrict(f[2]), 0, 100));
        g.Mode = StrToIntStrict(f[3]);
        out.push_back(g);
    }
    return out;
}

MaskValue ParseMaskValue(std::string_view key, std::string_view v) {
    MaskValue m;
    if (v.empty()) return m;
    switch (v[0]) {
        case '^':
            m.Form = MaskValueForm::Border;
            m.ImgType = TacImgType::itisaBorder;
            FixedRect(v, m);
            m.WL = Clamp16(ColInt(v, 22, 25));
            m.WT = Clamp16(ColInt(v, 27, 30));
            m.WR = Clamp16(ColInt(v, 32, 35));
            m.WB = Clamp16(ColInt(v, 37, 40));
            m.ImageCount = NonNegative16(ColInt(v, 42, 42));
            m.MaskType = NonNegative16(ColInt(v, 44, 44));
            m.StretchMode = Clamp16(ColInt(v, 46, 46));
            m.BorderWidth = NonNegative16(ColInt(v, 48, 48));
            return m;
        case '@':
            m.Form = MaskValueForm::Glyph;
            m.ImgType = TacImgType::itisaGlyph;
            FixedRect(v, m);
            m.ImageCount = NonNegative16(ColInt(v, 22, 22));
            m.MaskType = NonNegative16(ColInt(v, 24, 24));
            return m;
        case '~':
            m.Form = MaskValueForm::Texture;
            m.ImgType = TacImgType::itisaTexture;
            FixedRect(v, m);
            m.ImageCount = 1;
            m.StretchMode = Clamp16(ColInt(v, 22, 23));
            m.MaskType = v.size() < 25 ? 0 : NonNegative16(ColInt(v, 25, 25));
            return m;
        case '!': {
            std::vector<std::string_view> f = Split(v.substr(1), "!", true);
            if (f.empty() || f[0].find(".BMP") == std::string_view::npos) return m;
            m.FileName = std::string(f[0]);
            m.ImageCount = NonNegative16(Item(f, 1));
            m.MaskType = NonNegative16(Item(f, 2));
            std::int32_t type = Item(f, 3);
            if (type < 0 || type > 2) return MaskValue{};  // not an image type this engine knows
            m.ImgType = static_cast<TacImgType>(type);
            m.StretchMode = 4;
            // From five fields on the widths are the skin's own (missing ones 0).
            if (f.size() >= 5) {
                std::int16_t* w[4] = {&m.WL, &m.WT, &m.WR, &m.WB};
                for (size_t k = 0; k < 4; ++k) *w[k] = 4 + k < f.size() ? Clamp16(Item(f, 4 + k)) : 0;
                m.WidthsGiven = true;
            }
            m.Form = MaskValueForm::External;
            return m;
        }
        default:
            break;
    }
    bool has_hash = v.find('#') != std::string_view::npos;
    if (!has_hash) {
        if (ContainsNoCase(v, ".BMP")) {
            m.Form = MaskValueForm::PlainBitmap;
            m.FileName = std::string(v);
            m.ImageCount = 3;
            m.MaskType = 1;
        }
        return m;
    }
    if (v == "#") return m;
    std::vector<std::string_view> words = DescribedWords(v);
    std::vector<std::string_view> r = Split(words.size() > 1 ? words[1] : std::string_view{}, ", ", false);
    std::vector<std::string_view> p = Split(words.size() > 2 ? words[2] : std::string_view{}, ", ", false);
    m.R.Left = Item(r, 0);
    m.R.Top = Item(r, 1);
    m.R.Right = Item(r, 2);
    m.R.Bottom = Item(r, 3);
    m.ImageCount = Clamp16(std::max(Item(p, 0), 1));
    m.MaskType = NonNegative16(Item(p, 1));
    m.BorderWidth = p.size() > 2 ? NonNegative16(Item(p, 2)) : 0;
    std::string ukey = UpperCase(key);
    if (ukey == "PATTERN" || ukey == "HOTPATTERN") {
        m.ImgType = TacImgType::itisaTexture;
        m.StretchMode = 0;
    } else {
        m.ImgType = TacImgType::itisaBorder;
        m.StretchMode = p.size() > 3 ? Clamp16(Item(p, 3)) : 1;
    }
    m.Form = MaskValueForm::Described;
    return m;
}

void DeriveBorderWidths(TsMaskData& m) {
    if (m.WL + m.WT + m.WR + m.WB != 0) return;
    if (m.BorderWidth != 0) {
        m.WL = m.WT = m.WR = m.WB = m.BorderWidth;
        return;
    }
    std::int64_t w = std::int64_t(m.R.Right) - m.R.Left;
    std::int64_t h = std::int64_t(m.R.Bottom) - m.R.Top;
    m.WL = m.WR = Clamp16(static_cast<std::int32_t>(
        std::clamp<std::int64_t>(w / (std::int64_t(SafeImageCount(m.ImageCount)) * 3), INT16_MIN, INT16_MAX)));
    m.WT = m.WB = Clamp16(static_cast<std::int32_t>(
        std::clamp<std::int64_t>(h / (std::int64_t(SafeMaskRows(m.MaskType)) * 3), INT16_MIN, INT16_MAX)));
}

}  // namespace velmap
