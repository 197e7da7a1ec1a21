#pragma once
// The photo of one slot as the submission sends it.

#include "platform/Result.h"

#include <filesystem>

namespace instala::outbox {

inline constexpr double kUploadPhotoQuality = 0.2;

// Decodes the stored photo and writes it again as JPEG at quality 0.2 to
// `destination` (mode 0600). True when written; false when the stored file is
// missing, is not a regular file (never opened then, so a FIFO cannot block)
// or is not a readable photo: the slot is then sent empty. An error only when
// the destination cannot be written.
platform::Result<bool> writeUploadPhoto(const std::filesystem::path& storedPhoto,
                                        const std::filesystem::path& destination);

}  // namespace instala::outbox
