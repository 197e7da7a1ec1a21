#include "outbox/EntryStore.h"

#include "outbox/IdempotencyKey.h"
#include "platform/FileSystem.h"
#include "platform/Image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace instala::outbox {
namespace {

namespace fs = std::filesystem;
using platform::Error;

constexpr const char* kRecordFile = "entry.plist";
constexpr const char* kVideoFolder = "video";
constexpr std::string_view kWriting = ".writing-";
constexpr std::string_view kReplaced = ".replaced-";
constexpr std::string_view kRemoved = ".removed-";
constexpr auto kFileMode = fs::perms::owner_read | fs::perms::owner_write;

std::string describe(const std::string& what, const fs::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

bool isRegularFile(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Opened without blocking (a FIFO put in place of a file cannot hold the worker) and only when regular.
platform::Result<int> openRegular(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Error{describe("cannot open", path)};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Error{path.string() + " is not a regular file"};
  }
  return fd;
}

platform::Result<platform::Bytes> readRegularFile(const fs::path& path) {
  auto opened = openRegular(path);
  if (!opened) return opened.error();
  const int fd = *opened;
  platform::Bytes bytes;
  std::uint8_t buffer[64 * 1024];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      Error error{describe("cannot read", path)};
      ::close(fd);
      return error;
    }
    if (count == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + count);
  }
  ::close(fd);
  return bytes;
}

std::optional<std::string> copyRegularFile(const fs::path& source, const fs::path& destination) {
  auto opened = openRegular(source);
  if (!opened) return opened.error().message;
  const int in = *opened;
  const int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    auto error = describe("cannot create", destination);
    ::close(in);
    return error;
  }
  std::optional<std::string> error;
  char buffer[256 * 1024];
  while (!error) {
    const ssize_t count = ::read(in, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) error = describe("cannot read", source);
    if (count <= 0) break;
    for (ssize_t done = 0; done < count && !error;) {
      const ssize_t written = ::write(out, buffer + done, static_cast<std::size_t>(count - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) error = describe("cannot write", destination);
      if (written > 0) done += written;
    }
  }
  if (!error && ::fsync(out) != 0) error = describe("cannot sync", destination);
  ::close(in);
  if (::close(out) != 0 && !error) error = describe("cannot close", destination);
  return error;
}

// Links `source` (following a symbolic link) as `link`; the errno on failure.
int hardLink(const fs::path& source, const fs::path& link) {
  return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, link.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

platform::TimePoint modificationTime(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return platform::TimePoint(std::chrono::duration_cast<platform::Duration>(
      std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
}

platform::Result<EntryRecord> readRecord(const fs::path& folder) {
  auto bytes = readRegularFile(folder / kRecordFile);
  if (!bytes) return bytes.error();
  auto value = platform::decodePropertyList(*bytes);
  if (!value) return Error{(folder / kRecordFile).string() + " is not a property list"};
  return EntryRecord::fromPropertyList(*value);
}

std::optional<std::string> writeRecord(const fs::path& folder, const EntryRecord& record) {
  auto bytes = platform::encodePropertyList(record.toPropertyList(), platform::PlistFormat::xml);
  if (!bytes) return "the record of " + record.idempotencyKey + " cannot be encoded";
  return platform::writeFileAtomically(folder / kRecordFile, *bytes, kFileMode);
}

}  // namespace

EntryStore::EntryStore(fs::path root) : root_(std::move(root)) {}

void EntryStore::step(int number) const {
  if (commitStep) commitStep(number);
}

std::optional<std::string> EntryStore::ensureRoot() const {
  std::error_code ec;
  fs::create_directories(root_, ec);
  if (ec) return "cannot create " + root_.string() + ": " + ec.message();
  if (::chmod(root_.c_str(), 0700) != 0) return describe("cannot protect", root_);
  return std::nullopt;
}

// mkdtemp makes the folder 0700 under a name no other folder has.
platform::Result<fs::path> EntryStore::makeTemporary(const std::string& prefix) const {
  std::string pattern = (root_ / (prefix + "XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) return Error{describe("cannot create a folder in", root_)};
  return fs::path(pattern);
}

platform::Result<EntryStore::Staged> EntryStore::stage(const ServiceSubmission& submission) const {
  const std::string& key = submission.idempotencyKey;
  if (!isIdempotencyKey(key)) return Error{"\"" + key + "\" is not an idempotency key"};
  if (submission.video) {
    const fs::path& video = *submission.video;
    if (video.filename().empty() || video.extension().empty()) {
      return Error{"the video " + video.string() + " has no file name with an extension"};
    }
    if (!isRegularFile(video)) return Error{"the video " + video.string() + " is missing or not a regular file"};
  }
  if (auto error = ensureRoot()) return Error{*error};
  auto folder = makeTemporary(std::string(kWriting) + key + "-");
  if (!folder) return folder.error();

  Staged staged{submission, *folder, {}, std::nullopt};
  for (std::size_t slot = 0; slot < kPhotoSlots; ++slot) {
    const fs::path& photo = submission.photos[slot];
    if (photo.empty() || !isRegularFile(photo)) continue;
    const fs::path link = staged.folder / ("source-" + std::to_string(slot));
    staged.photoSources[slot] = hardLink(photo, link) == 0 ? link : photo;
  }
  if (submission.video) {
    const fs::path videoFolder = staged.folder / kVideoFolder;
    if (::mkdir(videoFolder.c_str(), 0700) != 0) {
      Error error{describe("cannot create", videoFolder)};
      std::error_code ec;
      fs::remove_all(staged.folder, ec);
      return error;
    }
    if (hardLink(*submission.video, videoFolder / submission.video->filename()) != 0) {
      staged.videoToCopy = *submission.video;
    }
  }
  return staged;
}

platform::Result<EntryRecord> EntryStore::commit(const Staged& staged, platform::TimePoint tappedAt) const {
  const ServiceSubmission& submission = staged.submission;
  auto fail = [&](std::string message) -> platform::Result<EntryRecord> {
    std::error_code ec;
    fs::remove_all(staged.folder, ec);
    return Error{std::move(message)};
  };
  step(0);
  EntryRecord record;
  record.idempotencyKey = submission.idempotencyKey;
  record.ticketId = submission.ticketId;
  record.tappedAt = tappedAt;
  record.fields = submission.fields;
  // The photos are decoded and encoded again side by side, a few rows at a
  // time each; a slot whose file is missing, not a regular file or not a
  // readable photo is sent empty.
  const std::vector<fs::path> sources(staged.photoSources.begin(), staged.photoSources.end());
  const auto encoded = platform::transcodeJPEGFiles(sources, kUploadPhotoQuality);
  std::optional<std::string> photoError;
  for (std::size_t slot = 0; slot < kPhotoSlots; ++slot) {
    const fs::path& source = staged.photoSources[slot];
    if (source.empty()) continue;
    if (encoded[slot]) {
      auto error = platform::writeFileAtomically(staged.folder / photoPartName(slot), *encoded[slot], kFileMode);
      if (error && !photoError) photoError = *error;
      record.photos[slot] = !error;
    }
    if (source.parent_path() == staged.folder) ::unlink(source.c_str());
  }
  if (photoError) return fail(*photoError);
  step(1);
  if (submission.video) {
    record.videoName = submission.video->filename().string();
    if (staged.videoToCopy) {
      if (auto error = copyRegularFile(*staged.videoToCopy, staged.folder / kVideoFolder / record.videoName)) {
        return fail(*error);
      }
    }
    syncFolder(staged.folder / kVideoFolder);
  }
  step(2);
  // Written last: an entry folder holding entry.plist holds everything else.
  if (auto error = writeRecord(staged.folder, record)) return fail(*error);
  syncFolder(staged.folder);
  step(3);
  const fs::path target = entryFolder(record.idempotencyKey);
  std::optional<fs::path> aside;
  std::error_code ec;
  if (fs::exists(target, ec)) {
    auto moved = makeTemporary(std::string(kReplaced) + record.idempotencyKey + "-");
    if (!moved) return fail(moved.error().message);
    // A folder renamed onto an empty one replaces it.
    if (::rename(target.c_str(), moved->c_str()) != 0) {
      auto error = describe("cannot move aside", target);
      fs::remove(*moved, ec);
      return fail(error);
    }
    aside = *moved;
  }
  step(4);
  if (::rename(staged.folder.c_str(), target.c_str()) != 0) {
    auto error = describe("cannot rename", staged.folder);
    if (aside) ::rename(aside->c_str(), target.c_str());
    return fail(error);
  }
  step(5);
  if (aside) fs::remove_all(*aside, ec);
  syncFolder(root_);
  return record;
}

EntryStore::Recovered EntryStore::recover() const {
  Recovered recovered;
  std::error_code ec;
  std::vector<fs::path> children;
  for (const auto& child : fs::directory_iterator(root_, ec)) children.push_back(child.path());

  // An entry moved aside comes back when the entry that replaced it never arrived.
  for (const auto& path : children) {
    const std::string name = path.filename().string();
    if (name.starts_with(kWriting) || name.starts_with(kRemoved)) {
      recovered.leftovers.push_back(path);
    } else if (name.starts_with(kReplaced)) {
      const std::string key = name.substr(kReplaced.size(), 36);
      const fs::path target = entryFolder(key);
      const bool restore = isIdempotencyKey(key) && !fs::exists(target, ec) && isRegularFile(path / kRecordFile);
      if (!restore || ::rename(path.c_str(), target.c_str()) != 0) recovered.leftovers.push_back(path);
    }
  }
  children.clear();
  for (const auto& child : fs::directory_iterator(root_, ec)) children.push_back(child.path());
  for (const auto& path : children) {
    const std::string key = path.filename().string();
    if (!isIdempotencyKey(key) || !fs::is_directory(path, ec)) continue;
    Listed listed;
    auto record = readRecord(path);
    if (record && record->idempotencyKey == key) {
      listed.record = std::move(record).value();
    } else {
      listed.record.idempotencyKey = key;
      listed.record.tappedAt = modificationTime(path);
      listed.problem = record ? "entry.plist names another key" : record.error().message;
    }
    recovered.entries.push_back(std::move(listed));
  }
  std::sort(recovered.entries.begin(), recovered.entries.end(), [](const Listed& a, const Listed& b) {
    if (a.record.tappedAt != b.record.tappedAt) return a.record.tappedAt < b.record.tappedAt;
    return a.record.idempotencyKey < b.record.idempotencyKey;
  });
  return recovered;
}

void EntryStore::removeLeftover(const fs::path& folder) const {
  std::error_code ec;
  fs::remove_all(folder, ec);
}

platform::Result<LoadedEntry> EntryStore::load(const std::string& key) const {
  if (!isIdempotencyKey(key)) return Error{"\"" + key + "\" is not an idempotency key"};
  const fs::path folder = entryFolder(key);
  auto record = readRecord(folder);
  if (!record) return record.error();
  if (record->idempotencyKey != key) return Error{(folder / kRecordFile).string() + " names another key"};
  LoadedEntry entry;
  entry.record = std::move(record).value();
  for (std::size_t slot = 0; slot < kPhotoSlots; ++slot) {
    if (!entry.record.photos[slot]) continue;
    auto bytes = readRegularFile(folder / photoPartName(slot));
    if (!bytes) return bytes.error();
    entry.photos[slot] = std::move(bytes).value();
  }
  if (!entry.record.videoName.empty()) {
    if (!isPlainFileName(entry.record.videoName)) return Error{"the video's name is not a file name"};
    const fs::path video = folder / kVideoFolder / entry.record.videoName;
    auto opened = openRegular(video);
    if (!opened) return opened.error();
    ::close(*opened);
    entry.video = video;
  }
  return entry;
}

std::optional<std::string> EntryStore::recordAttempt(const std::string& key, std::int64_t attempts,
                                                     const std::string& lastError) const {
  if (!isIdempotencyKey(key)) return "\"" + key + "\" is not an idempotency key";
  const fs::path folder = entryFolder(key);
  // Read first: a folder without a readable record is never written into (nor made anew).
  auto record = readRecord(folder);
  if (!record) return record.error().message;
  record.value().attempts = attempts;
  record.value().lastError = lastError;
  return writeRecord(folder, *record);
}

std::optional<std::string> EntryStore::remove(const std::string& key) const {
  const fs::path folder = entryFolder(key);
  std::error_code ec;
  if (!isIdempotencyKey(key) || !fs::exists(folder, ec)) return std::nullopt;
  auto aside = makeTemporary(std::string(kRemoved) + key + "-");
  if (!aside) return aside.error().message;
  if (::rename(folder.c_str(), aside->c_str()) != 0) {
    auto error = describe("cannot remove", folder);
    fs::remove(*aside, ec);
    return error;
  }
  fs::remove_all(*aside, ec);
  syncFolder(root_);
  return std::nullopt;
}

}  // namespace instala::outbox
