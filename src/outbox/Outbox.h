#pragma once
// The outbox owns every service submission from the tap on "Finalizar" until
// the server has it. The tap's snapshot becomes an entry on disk before any
// byte is sent; the upload runs from the entry with the service's
// Idempotency-Key; only a 2xx answer with a JSON body removes it. Whatever
// else happens (no network, a server error, a 422, the technician cancelling,
// leaving the screen or closing the application) the entry stays and is sent
// again later.
//
// One upload at a time. A tap's send goes before the re-sends, which take the
// pending entries oldest first in rounds: when the outbox starts, when any
// request to the server is answered with a 2xx status, after a sign-in (a 422
// holds every re-send until then), and on a back-off timer of the main run
// loop (1, 2, 4, 8, then every 15 minutes) while entries are pending. A round
// tries each entry once; a failure without an answer from the server ends it
// (the network is gone), other failures go on with the next entry.
//
// Main thread only. Disk work runs on the outbox's own worker thread;
// observers hear of every change and of every finished send on the main thread.

#include "networking/ServerAPI.h"
#include "networking/UploadRequest.h"
#include "outbox/EntryStore.h"
#include "platform/RunLoop.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace instala {
class BackgroundQueue;
}

namespace instala::outbox {

enum class Phase {
  writing,  // the tap's snapshot is being written
  pending,  // on disk, waiting to be sent
  queued,   // a tap's send waits for another upload to end
  sending,  // being read and uploaded
};

// One service as the outbox sees it.
struct EntryStatus {
  std::string idempotencyKey;
  std::int64_t ticketId = 0;
  platform::TimePoint tappedAt;
  std::int64_t attempts = 0;
  std::string lastError;
  Phase phase = Phase::pending;
  bool tapped = false;                     // queued or sending for a tap (not a re-send)
  std::optional<UploadProgress> progress;  // while its body goes out
};

enum class Outcome {
  sent,       // the server has the service; the entry is gone
  failed,     // the entry stays (when it could be written at all)
  cancelled,  // the entry stays
};

struct OutboxEvent {
  std::string idempotencyKey;     // the service concerned; empty for a change of the whole list
  std::optional<Outcome> outcome;  // a send has ended; none for any other change
  bool tapped = false;             // that send was a tap's, not a re-send
};

class Outbox : public std::enable_shared_from_this<Outbox> {
 public:
  using Observer = std::function<void(const OutboxEvent&)>;

  // Keeps an observer registered for as long as it lives.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(std::weak_ptr<Outbox> outbox, std::uint64_t id) : outbox_(std::move(outbox)), id_(id) {}
    Subscription(Subscription&& other) noexcept { *this = std::move(other); }
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription() { reset(); }
    void reset();

   private:
    std::weak_ptr<Outbox> outbox_;
    std::uint64_t id_ = 0;
  };

  static constexpr std::array<std::chrono::minutes, 5> kRetryDelays{
      std::chrono::minutes(1), std::chrono::minutes(2), std::chrono::minutes(4), std::chrono::minutes(8),
      std::chrono::minutes(15)};

  // `api` sends the uploads; the token is read from the preferences for every attempt.
  Outbox(std::filesystem::path folder, std::shared_ptr<const ServerAPI> api,
         platform::RunLoop& loop = platform::RunLoop::main());
  ~Outbox();
  Outbox(const Outbox&) = delete;
  Outbox& operator=(const Outbox&) = delete;

  // Undoes what a crash interrupted, lists the entries and starts a round.
  void start();

  // The tap on "Finalizar": writes the snapshot (replacing an entry of the
  // same key) and sends it as soon as no other upload runs. False, and nothing
  // done, while that service is already being written, queued or sent.
  bool submit(ServiceSubmission submission);
  // Stops that service's send where it is (at once when it uploads); the entry stays.
  void cancel(const std::string& idempotencyKey);
  // A technician signed in: re-sends held by a 422 may go again.
  void didSignIn();
  // The status of an answer to any request (Session's answer observer).
  void serverAnswered(int status);

  // The services in the outbox, oldest tap first.
  std::vector<EntryStatus> entries() const;
  std::optional<EntryStatus> status(const std::string& idempotencyKey) const;
  std::size_t pendingCount() const { return items_.size(); }
  // Disk or network work is under way (the console's "wait" waits for it).
  bool isBusy() const;
  // When the back-off timer fires next; none while nothing waits for it.
  std::optional<platform::TimePoint> nextRetry() const;

  Subscription subscribe(Observer observer);

 private:
  // Why a send did not end with the service on the server.
  enum class Failure { none, cancelled, signIn, network, entry };

  struct Item {
    EntryStatus status;
    bool onDisk = false;
    bool cancelAfterWrite = false;
    bool reported = false;  // an entry that cannot be read is reported once
  };
  struct Send {
    std::string key;
    bool tapped = false;
    bool cancelRequested = false;
    std::shared_ptr<UploadRequest> request;
  };

  Item* find(const std::string& key);
  const Item* find(const std::string& key) const;
  void notify(const OutboxEvent& event);
  void changed(const std::string& key);
  // Runs `work` on the worker, then what it returns on the main thread.
  void runOnWorker(std::function<std::function<void(Outbox&)>()> work);

  void committed(const std::string& key, const platform::Result<EntryRecord>& record);
  void pump();
  void beginRound();
  void send(const std::string& key, bool tapped);
  void loaded(platform::Result<LoadedEntry> entry);
  void encoded(const MultipartFormDataEncodingResult& result);
  void answered(std::optional<RequestError> error, std::optional<Json> value, std::optional<int> status);
  void finish(Failure failure, const std::string& error);
  void reportUnreadable(Item& item, const std::string& problem);
  void scheduleRetry();
  void stopRetry();

  std::shared_ptr<EntryStore> store_;
  std::shared_ptr<const ServerAPI> api_;
  platform::RunLoop& loop_;

  std::vector<Item> items_;
  std::deque<std::string> tapQueue_;
  std::optional<Send> current_;
  bool roundActive_ = false;
  std::set<std::string> triedThisRound_;
  bool waitingForSignIn_ = false;
  bool ownAnswer_ = false;  // the next answered status is this outbox's own upload
  std::size_t retries_ = 0;
  std::shared_ptr<platform::Timer> retryTimer_;
  platform::TimePoint retryAt_;
  std::size_t workerTasks_ = 0;

  std::map<std::uint64_t, Observer> observers_;
  std::uint64_t nextObserver_ = 1;

  // Last, so it goes first: its running task ends before the rest does.
  std::unique_ptr<BackgroundQueue> worker_;
};

}  // namespace instala::outbox
