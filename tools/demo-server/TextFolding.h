#pragma once
// Matching that forgives what a technician's keyboard changes: letter case,
// accents ("instalacion" finds "Instalación") and runs of blanks.

#include <string>
#include <string_view>
#include <vector>

namespace instala::demo {

// The text case-folded, without combining marks, with blanks collapsed to one
// space and trimmed. Invalid UTF-8 turns into replacement characters.
std::string foldForMatch(std::string_view utf8);

// The folded words of a text, split at blanks.
std::vector<std::string> foldedWords(std::string_view utf8);

}  // namespace instala::demo
