#include "platform/MimeType.h"

#include <dlfcn.h>
#include <gio/gio.h>

namespace instala::platform {
namespace {

// GIO is opened on the first guess instead of at start-up: it brings half a
// dozen libraries that nothing else needs before a file is uploaded. Without
// it every type is application/octet-stream.
struct Gio {
  decltype(&g_content_type_guess) guess = nullptr;
  decltype(&g_content_type_get_mime_type) mimeType = nullptr;
  decltype(&g_free) free = nullptr;
};

const Gio& gio() {
  static const Gio loaded = [] {
    Gio functions;
    void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return functions;
    functions.guess = reinterpret_cast<decltype(functions.guess)>(dlsym(library, "g_content_type_guess"));
    functions.mimeType =
        reinterpret_cast<decltype(functions.mimeType)>(dlsym(library, "g_content_type_get_mime_type"));
    functions.free = reinterpret_cast<decltype(functions.free)>(dlsym(library, "g_free"));
    if (!functions.guess || !functions.mimeType || !functions.free) return Gio{};
    return functions;
  }();
  return loaded;
}

}  // namespace

std::string mimeTypeForPath(const std::filesystem::path& path) {
  const std::string fileName = path.filename().string();
  const Gio& library = gio();
  if (fileName.empty() || !library.guess) return kOctetStreamMimeType;
  gboolean uncertain = FALSE;
  gchar* contentType = library.guess(fileName.c_str(), nullptr, 0, &uncertain);
  if (!contentType) return kOctetStreamMimeType;
  gchar* mimeType = library.mimeType(contentType);
  library.free(contentType);
  if (!mimeType) return kOctetStreamMimeType;
  std::string result(mimeType);
  library.free(mimeType);
  return result;
}

}  // namespace instala::platform
