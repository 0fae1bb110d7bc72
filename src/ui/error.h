// The framework's error type (portable: the description parser raises it too).
#pragma once

#include <stdexcept>

namespace velmap::ui {

// Raised inside the framework; carries a message naming what went wrong.
class EUiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace velmap::ui
