#include "com/guid.h"

#include <objbase.h>

namespace velmap::com {

std::wstring GuidToString(REFGUID guid) {
    wchar_t text[40] = {};
    const int n = ::StringFromGUID2(guid, text, 40);
    return n > 0 ? std::wstring(text, static_cast<size_t>(n - 1)) : std::wstring();
}

}  // namespace velmap::com
