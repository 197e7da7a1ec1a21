#pragma once
// The outbox's folder on disk, one folder per service named by its key.
// Every change survives a kill -9 at any moment: an entry is built in a
// temporary folder (".writing-<key>-XXXXXX") and renamed into place; an entry
// it replaces is first moved aside (".replaced-<key>-XXXXXX"), and one being
// removed is renamed (".removed-<key>-XXXXXX") before it is deleted. recover()
// undoes or finishes what a crash interrupted, so only complete entries are
// ever listed. Folders 0700, files 0600.
//
// Not thread-safe: stage() runs on the main thread at the tap, everything else
// on the outbox's one worker; recover() runs before any tap can stage.

#include "outbox/OutboxEntry.h"
#include "platform/Clock.h"
#include "platform/Result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace instala::outbox {

class EntryStore {
 public:
  explicit EntryStore(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path entryFolder(const std::string& key) const { return root_ / key; }

  // A tap's sources hard-linked into a new temporary folder: cheap (no
  // decoding, no copying), and from then on the entry does not depend on the
  // photo store, which the next service's step one empties.
  struct Staged {
    ServiceSubmission submission;
    std::filesystem::path folder;
    // Per slot: the link, else the stored photo itself; empty when the slot has no photo.
    std::array<std::filesystem::path, kPhotoSlots> photoSources;
    // The video to copy at commit(), when it could not be linked (another file system).
    std::optional<std::filesystem::path> videoToCopy;
  };
  // Fails when the key is malformed, the video cannot be attached (missing,
  // not a regular file, no extension) or the folder cannot be made.
  platform::Result<Staged> stage(const ServiceSubmission& submission) const;

  // Finishes a staged folder (photos re-encoded, the video copied when it was
  // not linked, entry.plist last) and puts it in place of any entry of the same
  // key. On failure the staged folder is gone and an earlier entry is kept.
  platform::Result<EntryRecord> commit(const Staged& staged, platform::TimePoint tappedAt) const;

  struct Listed {
    EntryRecord record;   // with only the key and the folder's time when unreadable
    std::string problem;  // why entry.plist cannot be read; empty when it can
  };
  struct Recovered {
    std::vector<Listed> entries;                 // oldest tap first
    std::vector<std::filesystem::path> leftovers;  // temporary folders of ours, to delete
  };
  // Restores an entry a crash left moved aside, and lists the entries.
  Recovered recover() const;
  void removeLeftover(const std::filesystem::path& folder) const;

  // The entry with its photos read; fails when one of its own files cannot be read.
  platform::Result<LoadedEntry> load(const std::string& key) const;
  // Rewrites the attempts and the last error in entry.plist; fails when the entry is gone.
  std::optional<std::string> recordAttempt(const std::string& key, std::int64_t attempts,
                                           const std::string& lastError) const;
  std::optional<std::string> remove(const std::string& key) const;

  // Called with 0, 1, 2, … between the steps of commit() (tests end the process there).
  std::function<void(int step)> commitStep;

 private:
  std::optional<std::string> ensureRoot() const;
  platform::Result<std::filesystem::path> makeTemporary(const std::string& prefix) const;
  void step(int number) const;

  std::filesystem::path root_;
};

}  // namespace instala::outbox
