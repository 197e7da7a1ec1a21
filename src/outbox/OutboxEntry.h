#pragma once
// One service in the outbox: what the tap hands over, what the entry on disk
// records, and the body that is sent from it.
//
// An entry is the folder <outbox>/<idempotency key>/ (0700) holding, each 0600:
//   entry.plist      the record below, an XML property list
//   image … image5   the photos of the filled slots, already JPEG at quality 0.2
//   video/<name>     the video under its own file name (a hard link when it can be)

#include "networking/MultipartFormData.h"
#include "platform/Clock.h"
#include "platform/PropertyList.h"
#include "platform/Result.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace instala::outbox {

inline constexpr std::size_t kPhotoSlots = 5;
// The quality the submission sends its photos at.
inline constexpr double kUploadPhotoQuality = 0.2;
// The part (and file) name of each photo slot: "image", "image2" … "image5".
std::string photoPartName(std::size_t slot);

using TextFields = std::vector<std::pair<std::string, std::string>>;

// What the tap on "Finalizar" hands to the outbox, read on the main thread.
struct ServiceSubmission {
  std::string idempotencyKey;
  std::int64_t ticketId = 0;
  TextFields fields;  // the text parts, in the order they are sent
  // The stored photo of each slot; a slot whose file is missing or is no
  // readable photo is sent as an empty text part.
  std::array<std::filesystem::path, kPhotoSlots> photos;
  std::optional<std::filesystem::path> video;
};

// entry.plist: version (1), idempotencyKey, ticketId, tappedAt (milliseconds
// since 1970 UTC), attempts, lastError ("" when none), fields (array of
// {name, value}), photos (five Booleans: the slot has a file), video (the
// video's file name, "" when none).
struct EntryRecord {
  std::string idempotencyKey;
  std::int64_t ticketId = 0;
  platform::TimePoint tappedAt;
  std::int64_t attempts = 0;
  std::string lastError;
  TextFields fields;
  std::array<bool, kPhotoSlots> photos{};
  std::string videoName;

  bool operator==(const EntryRecord&) const = default;

  platform::PlistValue toPropertyList() const;
  static platform::Result<EntryRecord> fromPropertyList(const platform::PlistValue& value);
};

// An entry read back for sending: its record, the photo bytes and where the video is.
struct LoadedEntry {
  EntryRecord record;
  std::array<std::optional<platform::Bytes>, kPhotoSlots> photos;
  std::optional<std::filesystem::path> video;
};

// The body of the submission: the text fields, then "image" … "image5" (JPEG
// bytes declared "image/png", file name = part name, or an empty text part),
// then "video" streamed from its file.
void appendSubmissionParts(MultipartFormData& form, const LoadedEntry& entry);

}  // namespace instala::outbox
