// UTF-8 and UTF-16, the one conversion every part of the system uses.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velmap::win {

// Text that is not valid UTF-8 (or UTF-16, the other way round).
class EncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Invalid input (a broken UTF-8 sequence, a lone surrogate) raises
// EncodingError: nothing is silently replaced or read in another code page.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace velmap::win
