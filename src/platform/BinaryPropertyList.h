#pragma once
// The reader of binary property lists ("bplist00"). Every offset, length and
// reference is checked against the document; containers nest at most
// kMaximumPropertyListNesting deep and each appears once in the tree (so the
// object table cannot loop), and shared texts and data may not make the
// decoded document much larger than the bytes it came from.

#include "platform/PropertyList.h"

#include <optional>
#include <string_view>

namespace instala::platform {

// Nothing when the bytes are not a well-formed binary property list, or hold a
// text that is not one (see isPropertyListText).
std::optional<PlistValue> decodeBinaryPropertyList(std::string_view bytes);

// Whether the bytes are a text a property list may hold: valid UTF-8 without
// a NUL character. Both readers refuse anything else, which could not be
// written back and read again (the preferences are rewritten on every change).
bool isPropertyListText(std::string_view text);

}  // namespace instala::platform
