#include "TextFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <sstream>

namespace instala::demo {

std::string foldForMatch(std::string_view utf8) {
  const auto source = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  // Decomposing first separates the accents from their letters so they can be dropped.
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString text = U_SUCCESS(status) ? nfd->normalize(source, status) : source;
  if (U_FAILURE(status)) text = source;
  text.foldCase();

  icu::UnicodeString folded;
  bool pendingBlank = false;
  for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
    UChar32 c = text.char32At(i);
    if (u_charType(c) == U_NON_SPACING_MARK) continue;
    if (u_isUWhiteSpace(c)) {
      pendingBlank = !folded.isEmpty();
      continue;
    }
    if (pendingBlank) folded.append(UChar32{' '});
    pendingBlank = false;
    folded.append(c);
  }
  std::string result;
  folded.toUTF8String(result);
  return result;
}

std::vector<std::string> foldedWords(std::string_view utf8) {
  std::vector<std::string> words;
  std::istringstream stream(foldForMatch(utf8));
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

}  // namespace instala::demo
