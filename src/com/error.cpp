#include "com/error.h"

#include "win/strings.h"

#include <new>

namespace velmap::com {

std::wstring CurrentErrorMessage() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& e) {
        try {
            return win::Utf8ToWide(e.what());
        } catch (const win::EncodingError&) {
            return L"Unexpected error";
        }
    } catch (...) {
        return L"Unexpected error";
    }
}

}  // namespace velmap::com
