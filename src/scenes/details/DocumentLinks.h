#pragma once
// Server documents: the name a document row shows, and opening a document in
// the in-application browser. A document is the text of its path on the
// document server, with "/" as separator.

#include <optional>
#include <string>

namespace instala {

// The fifth "/"-piece ("/docs/tickets/42/manual.pdf" gives "manual.pdf"); a
// text with fewer pieces has no such piece and is shown whole.
std::string documentName(const std::string& document);

// The document server's base URL: the bundle's Info.plist "InstalaDocumentBaseURL"
// (fixed at build time); empty when the bundle has none.
std::string documentBaseURL();

// The base URL followed directly by the document text, when that forms a
// usable http(s) URL; nothing otherwise.
std::optional<std::string> documentURL(const std::string& baseURL, const std::string& document);

// Presents the in-application browser for the document over the top-most screen
// of the key window (following presented screens from its root). Nothing opens
// without a root screen or when the address is no valid URL.
void openDocument(const std::string& document);

}  // namespace instala
