#include "platform/MimeType.h"

#include <gio/gio.h>

namespace instala::platform {

std::string mimeTypeForPath(const std::filesystem::path& path) {
  const std::string fileName = path.filename().string();
  if (fileName.empty()) return kOctetStreamMimeType;
  gboolean uncertain = FALSE;
  gchar* contentType = g_content_type_guess(fileName.c_str(), nullptr, 0, &uncertain);
  if (!contentType) return kOctetStreamMimeType;
  gchar* mimeType = g_content_type_get_mime_type(contentType);
  g_free(contentType);
  if (!mimeType) return kOctetStreamMimeType;
  std::string result(mimeType);
  g_free(mimeType);
  return result;
}

}  // namespace instala::platform
