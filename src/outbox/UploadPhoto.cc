#include "outbox/UploadPhoto.h"

#include "platform/FileSystem.h"
#include "ui/Image.h"

#include <sys/stat.h>

namespace instala::outbox {

platform::Result<bool> writeUploadPhoto(const std::filesystem::path& storedPhoto,
                                        const std::filesystem::path& destination) {
  struct stat info {};
  if (::stat(storedPhoto.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  auto photo = ui::Image::withContentsOfFile(storedPhoto);
  auto bytes = photo ? photo->jpegRepresentation(kUploadPhotoQuality) : std::nullopt;
  if (!bytes) return false;
  const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
  if (auto error = platform::writeFileAtomically(destination, *bytes, mode)) return platform::Error{*error};
  return true;
}

}  // namespace instala::outbox
