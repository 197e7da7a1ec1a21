#pragma once
// Text rules of the screens that need Unicode: whole-text regular expression
// matches (ICU's engine) and trimming of space separators.

#include <string>
#include <string_view>

namespace instala::platform {

// True when the whole text matches the pattern (case-sensitive). An invalid pattern matches nothing.
bool matchesWholeText(std::string_view pattern, std::string_view text);

// Removes every Unicode space separator (no-break spaces included) and tab at
// both ends; line breaks stay.
std::string trimSpacesAndTabs(std::string_view text);

}  // namespace instala::platform
