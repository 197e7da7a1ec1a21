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
// text with a NUL character in it.
std::optional<PlistValue> decodeBinaryPropertyList(std::string_view bytes);

}  // namespace instala::platform
