#include "scenes/details/DocumentLinks.h"

#include "networking/HTTPRequest.h"
#include "platform/Bundle.h"
#include "ui/Application.h"
#include "ui/SafariViewController.h"
#include "ui/Window.h"

#include <iostream>

namespace instala {

std::string documentName(const std::string& document) {
  constexpr int kNamePiece = 4;
  std::size_t start = 0;
  for (int piece = 0; piece < kNamePiece; ++piece) {
    const std::size_t slash = document.find('/', start);
    if (slash == std::string::npos) return document;
    start = slash + 1;
  }
  return document.substr(start, document.find('/', start) - start);
}

std::string documentBaseURL() { return platform::Bundle::main().infoString("InstalaDocumentBaseURL").value_or(""); }

std::optional<std::string> documentURL(const std::string& baseURL, const std::string& document) {
  std::string address = baseURL + document;
  if (urlProblem(address)) return std::nullopt;
  return address;
}

void openDocument(const std::string& document) {
  auto url = documentURL(documentBaseURL(), document);
  if (!url) {
    std::cerr << "openDocument: \"" << documentBaseURL() << document << "\" is not a valid URL\n";
    return;
  }
  auto window = ui::Application::shared().keyWindow();
  auto top = window ? window->rootViewController() : nullptr;
  if (!top) return;
  while (auto presented = top->presentedViewController()) top = presented;
  top->present(std::make_shared<ui::SafariViewController>(*url), true);
}

}  // namespace instala
