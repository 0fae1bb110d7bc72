#include "com/error.h"

#include <cstring>
#include <new>

namespace velmap::com {

std::wstring widen(const char* text) {
    if (!text || !*text) return {};
    const int length = static_cast<int>(std::strlen(text));
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    UINT codepage = CP_UTF8;
    if (size <= 0) {  // not UTF-8: take it in the system code page
        codepage = CP_ACP;
        size = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
        if (size <= 0) return {};
    }
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codepage, 0, text, length, out.data(), size);
    return out;
}

std::wstring current_error_message() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& e) {
        return widen(e.what());
    } catch (...) {
        return L"Unexpected error";
    }
}

}  // namespace velmap::com
