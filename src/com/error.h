// Errors raised inside the COM server and their mapping at its boundaries.
#pragma once

#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

namespace velmap::com {

// An error with a message meant for the user ("Error creating system registry entry").
class EComError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message of the exception in flight, for a message box. Call only inside a catch block.
std::wstring CurrentErrorMessage();

// Runs body; any exception becomes on_error, so nothing C++ crosses a COM boundary.
template <typename Body>
HRESULT Guarded(HRESULT on_error, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return on_error;
    }
}

}  // namespace velmap::com
