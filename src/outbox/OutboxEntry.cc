#include "outbox/OutboxEntry.h"

#include <chrono>

namespace instala::outbox {
namespace {

using platform::Error;
using platform::PlistArray;
using platform::PlistDict;
using platform::PlistValue;

constexpr std::int64_t kFormatVersion = 1;

template <typename T>
const T* member(const PlistDict& dict, const std::string& key) {
  auto found = dict.find(key);
  return found == dict.end() ? nullptr : found->second.get<T>();
}

}  // namespace

std::string photoPartName(std::size_t slot) { return slot == 0 ? "image" : "image" + std::to_string(slot + 1); }

PlistValue EntryRecord::toPropertyList() const {
  PlistArray fieldList;
  for (const auto& [name, value] : fields) fieldList.emplace_back(PlistDict{{"name", name}, {"value", value}});
  PlistArray photoList;
  for (bool filled : photos) photoList.emplace_back(filled);
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(tappedAt.time_since_epoch());
  return PlistDict{{"version", kFormatVersion},
                   {"idempotencyKey", idempotencyKey},
                   {"ticketId", ticketId},
                   {"tappedAt", static_cast<std::int64_t>(milliseconds.count())},
                   {"attempts", attempts},
                   {"lastError", lastError},
                   {"fields", std::move(fieldList)},
                   {"photos", std::move(photoList)},
                   {"video", videoName}};
}

platform::Result<EntryRecord> EntryRecord::fromPropertyList(const PlistValue& value) {
  const auto* dict = value.get<PlistDict>();
  if (!dict) return Error{"the record is not a dictionary"};
  const auto* version = member<std::int64_t>(*dict, "version");
  if (!version || *version != kFormatVersion) return Error{"the record has no known version"};
  const auto* key = member<std::string>(*dict, "idempotencyKey");
  const auto* ticket = member<std::int64_t>(*dict, "ticketId");
  const auto* tapped = member<std::int64_t>(*dict, "tappedAt");
  const auto* attempts = member<std::int64_t>(*dict, "attempts");
  const auto* lastError = member<std::string>(*dict, "lastError");
  const auto* fieldList = member<PlistArray>(*dict, "fields");
  const auto* photoList = member<PlistArray>(*dict, "photos");
  const auto* video = member<std::string>(*dict, "video");
  if (!key || !ticket || !tapped || !attempts || !lastError || !fieldList || !photoList || !video) {
    return Error{"the record lacks a member or holds one of the wrong kind"};
  }
  EntryRecord record;
  record.idempotencyKey = *key;
  record.ticketId = *ticket;
  record.tappedAt = platform::TimePoint(std::chrono::duration_cast<platform::Duration>(std::chrono::milliseconds(*tapped)));
  record.attempts = *attempts;
  record.lastError = *lastError;
  for (const auto& field : *fieldList) {
    const auto* pair = field.get<PlistDict>();
    const auto* name = pair ? member<std::string>(*pair, "name") : nullptr;
    const auto* text = pair ? member<std::string>(*pair, "value") : nullptr;
    if (!name || !text) return Error{"a field of the record is not a name and a value"};
    record.fields.emplace_back(*name, *text);
  }
  if (photoList->size() != kPhotoSlots) return Error{"the record does not list five photo slots"};
  for (std::size_t slot = 0; slot < kPhotoSlots; ++slot) {
    const auto* filled = (*photoList)[slot].get<bool>();
    if (!filled) return Error{"a photo slot of the record is not a Boolean"};
    record.photos[slot] = *filled;
  }
  record.videoName = *video;
  return record;
}

void appendSubmissionParts(MultipartFormData& form, const LoadedEntry& entry) {
  for (const auto& [name, text] : entry.record.fields) form.addDataPart(text, name);
  for (std::size_t slot = 0; slot < kPhotoSlots; ++slot) {
    const std::string name = photoPartName(slot);
    if (const auto& bytes = entry.photos[slot]) {
      form.addFilePart(*bytes, name, name, "image/png");
    } else {
      form.addDataPart(std::string(), name);
    }
  }
  if (entry.video) form.addFileURLPart(*entry.video, "video");
}

}  // namespace instala::outbox
