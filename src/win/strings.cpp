// Strict UTF-8 <-> UTF-16 conversion written out in full, so the same code
// runs in the Windows builds and in the portable ones (the description parser
// under the native fuzzer). wchar_t is UTF-16 on Windows and holds whole code
// points elsewhere.
#include "win/strings.h"

#include <cstdint>

namespace velmap::win {
namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendWide(std::wstring& out, std::uint32_t c) {
    if (kWideIsUtf16 && c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(c));
    }
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        std::uint32_t c;
        std::uint32_t least;  // below this the sequence is overlong
        if (lead < 0x80) {
            out.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, c = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, c = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, c = lead & 0x07, least = 0x10000;
        } else {
            throw EncodingError("text is not valid UTF-8");
        }
        if (text.size() - i - 1 < extra) throw EncodingError("text is not valid UTF-8");
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) throw EncodingError("text is not valid UTF-8");
            c = (c << 6) | (b & 0x3F);
        }
        if (c < least || c > 0x10FFFF || IsSurrogate(c)) throw EncodingError("text is not valid UTF-8");
        AppendWide(out, c);
        i += extra + 1;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        if (kWideIsUtf16 && c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size()) throw EncodingError("text is not valid UTF-16");
            const auto low = static_cast<std::uint32_t>(text[i + 1]);
            if (low < 0xDC00 || low > 0xDFFF) throw EncodingError("text is not valid UTF-16");
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (IsSurrogate(c) || c > 0x10FFFF) {
            throw EncodingError("text is not valid UTF-16");
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace velmap::win
