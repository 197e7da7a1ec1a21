#include "DocumentPage.h"

#include <cstdio>
#include <vector>

namespace instala::demo {
namespace {

const char* kNote = "Documento de muestra del servidor de demostración de Instala.";

std::string fileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string escapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The PDF's standard fonts use WinAnsiEncoding, which equals Latin-1 from
// U+00A0 to U+00FF: enough for Spanish. Other characters become "?".
std::string toWinAnsi(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    std::size_t length = byte < 0x80           ? 1
                         : (byte >> 5) == 0x6  ? 2
                         : (byte >> 4) == 0xe  ? 3
                         : (byte >> 3) == 0x1e ? 4
                                               : 1;
    if (i + length > utf8.size()) length = 1;
    if (length == 1) {
      out += byte < 0x80 ? static_cast<char>(byte) : '?';
    } else {
      std::uint32_t code = byte & (0xff >> (length + 1));
      for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
      out += (code >= 0xa0 && code <= 0xff) ? static_cast<char>(code) : '?';
    }
    i += length;
  }
  return out;
}

std::string pdfString(const std::string& utf8) {
  std::string out = "(";
  for (char c : toWinAnsi(utf8)) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out + ")";
}

// Greedy word wrap by character count; good enough for short sample texts.
std::vector<std::string> wrap(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

DocumentPage DocumentPage::render(const DemoDocument& document) {
  if (endsWith(document.path, ".pdf")) return {"application/pdf", pdf(document)};
  return {"text/html; charset=utf-8", html(document)};
}

std::string DocumentPage::html(const DemoDocument& document) {
  return "<!DOCTYPE html>\n<html lang=\"es\">\n<head><meta charset=\"utf-8\"><title>" + escapeHtml(document.title) +
         "</title></head>\n<body>\n<h1>" + escapeHtml(document.title) +
         "</h1>\n<p>Archivo: " + escapeHtml(fileName(document.path)) + "</p>\n<p>Ruta: " + escapeHtml(document.path) +
         "</p>\n<p>" + kNote + "</p>\n</body>\n</html>\n";
}

std::string DocumentPage::pdf(const DemoDocument& document) {
  std::string content;
  int y = 720;
  auto line = [&](const char* font, int size, const std::string& text) {
    content += "BT /" + std::string(font) + " " + std::to_string(size) + " Tf 72 " + std::to_string(y) + " Td " +
               pdfString(text) + " Tj ET\n";
    y -= size + 8;
  };
  for (const auto& part : wrap(document.title, 45)) line("F1", 18, part);
  y -= 12;
  line("F2", 12, "Archivo: " + fileName(document.path));
  line("F2", 12, "Ruta: " + document.path);
  line("F2", 12, kNote);

  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R /F2 5 0 R >> >> "
      "/Contents 6 0 R >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
  };
  std::string out = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = out.size();
  out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    out += entry;
  }
  out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return out;
}

}  // namespace instala::demo
