// Stored form descriptions: the text format and its parser (portable: the
// native fuzzer runs it too).
//
//   object BandForm : TBandForm          // root: the form being loaded
//     Caption = "VelmapBand"             // string ("\\", "\"", "\r", "\n", "\t")
//     Left = 193                         // integer (also 0x1F)
//     Visible = True                     // identifier (booleans, enums, colours,
//     Color = clBlack                    //   component references, handlers)
//     Font.Height = -11                  // nested property
//     Anchors = [akLeft, akTop]          // set
//     Lines = ("TButton", "TSpeedButton")// string list
//     Bands = <                          // collection
//       item Control = Panel  Width = 160 end
//     >
//     Glyph = @GLYPH_PREV                // binary value: a resource of its own
//     OnCreate = FormCreate              // event bound to a registered handler
//     object Panel : TPanel ... end      // children in creation order
//   end
#pragma once

#include "ui/error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmap::ui {

// Bounds on what a description may contain.
inline constexpr std::size_t kMaxDescriptionBytes = 1u << 20;
inline constexpr int kMaxObjectDepth = 32;
inline constexpr std::size_t kMaxObjects = 4096;
inline constexpr std::size_t kMaxListItems = 4096;
inline constexpr std::size_t kMaxStringBytes = 64u << 10;

struct TPropDesc;

struct TItemDesc {
    std::vector<TPropDesc> props;
    int line = 0;
};

enum class TValueType { Integer, String, Ident, Set, StringList, Collection, Binary };

struct TValue {
    TValueType type = TValueType::Integer;
    std::int64_t integer = 0;
    std::wstring string;                // String
    std::string ident;                  // Ident, Binary (resource name)
    std::vector<std::string> members;   // Set
    std::vector<std::wstring> strings;  // StringList
    std::vector<TItemDesc> items;       // Collection
    int line = 0;
};

struct TPropDesc {
    std::string path;  // "Font.Height"
    TValue value;
    int line = 0;
};

struct TObjectDesc {
    std::string name;
    std::string class_name;
    std::vector<TPropDesc> props;
    std::vector<TObjectDesc> children;
    int line = 0;
};

// Parses a description; throws EUiError naming the line on malformed input.
TObjectDesc ParseDescription(std::string_view text);

}  // namespace velmap::ui
