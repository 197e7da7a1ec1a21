#pragma once
// The documents the search finds, generated on request: a one-page PDF for a
// path ending in ".pdf", an HTML page for anything else. Both show the
// document's title and path, so a developer sees which result was opened.

#include "DemoData.h"

#include <string>

namespace instala::demo {

struct DocumentPage {
  std::string contentType;
  std::string body;

  static DocumentPage render(const DemoDocument& document);
  static std::string html(const DemoDocument& document);
  static std::string pdf(const DemoDocument& document);
};

}  // namespace instala::demo
