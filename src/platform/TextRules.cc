#include "platform/TextRules.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace instala::platform {
namespace {

icu::UnicodeString toUnicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

bool isTrimmed(UChar32 c) { return u_charType(c) == U_SPACE_SEPARATOR || c == '\t'; }

}  // namespace

bool matchesWholeText(std::string_view pattern, std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(toUnicode(pattern), 0, status));
  if (U_FAILURE(status)) return false;
  icu::UnicodeString input = toUnicode(text);
  std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(input, status));
  if (U_FAILURE(status)) return false;
  const bool matched = matcher->matches(status);
  return U_SUCCESS(status) && matched;
}

std::string trimSpacesAndTabs(std::string_view text) {
  icu::UnicodeString input = toUnicode(text);
  int32_t start = 0;
  int32_t end = input.length();
  while (start < end && isTrimmed(input.char32At(start))) start = input.moveIndex32(start, 1);
  while (end > start) {
    int32_t previous = input.moveIndex32(end, -1);
    if (!isTrimmed(input.char32At(previous))) break;
    end = previous;
  }
  std::string result;
  input.tempSubStringBetween(start, end).toUTF8String(result);
  return result;
}

}  // namespace instala::platform
