#include "outbox/Outbox.h"

#include "networking/BackgroundQueue.h"
#include "platform/Preferences.h"

#include <algorithm>
#include <iostream>

namespace instala::outbox {
namespace {

bool olderThan(const EntryStatus& a, const EntryStatus& b) {
  if (a.tappedAt != b.tappedAt) return a.tappedAt < b.tappedAt;
  return a.idempotencyKey < b.idempotencyKey;
}

std::string describeAnswer(const std::optional<RequestError>& error, std::optional<int> status) {
  std::string text = status ? "status " + std::to_string(*status) : std::string();
  if (error) text += (text.empty() ? "" : ": ") + std::string(kindName(error->kind)) + ": " + error->message;
  return text;
}

}  // namespace

Outbox::Subscription& Outbox::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    outbox_ = std::move(other.outbox_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void Outbox::Subscription::reset() {
  if (auto outbox = outbox_.lock(); outbox && id_) outbox->observers_.erase(id_);
  outbox_.reset();
  id_ = 0;
}

Outbox::Outbox(std::filesystem::path folder, std::shared_ptr<const ServerAPI> api, platform::RunLoop& loop)
    : store_(std::make_shared<EntryStore>(std::move(folder))),
      api_(std::move(api)),
      loop_(loop),
      worker_(std::make_unique<BackgroundQueue>()) {}

// An upload under way runs to its end unheard; its entry stays and goes again at the next start.
Outbox::~Outbox() {
  stopRetry();
  worker_.reset();
}

Outbox::Item* Outbox::find(const std::string& key) {
  for (auto& item : items_) {
    if (item.status.idempotencyKey == key) return &item;
  }
  return nullptr;
}

const Outbox::Item* Outbox::find(const std::string& key) const { return const_cast<Outbox*>(this)->find(key); }

std::vector<EntryStatus> Outbox::entries() const {
  std::vector<EntryStatus> list;
  for (const auto& item : items_) list.push_back(item.status);
  std::sort(list.begin(), list.end(), olderThan);
  return list;
}

std::optional<EntryStatus> Outbox::status(const std::string& key) const {
  const Item* item = find(key);
  if (!item) return std::nullopt;
  return item->status;
}

bool Outbox::isBusy() const { return workerTasks_ > 0 || current_ || !tapQueue_.empty(); }

std::optional<platform::TimePoint> Outbox::nextRetry() const {
  if (!retryTimer_ || !retryTimer_->isValid()) return std::nullopt;
  return retryAt_;
}

Outbox::Subscription Outbox::subscribe(Observer observer) {
  const std::uint64_t id = nextObserver_++;
  observers_.emplace(id, std::move(observer));
  return Subscription(weak_from_this(), id);
}

void Outbox::notify(const OutboxEvent& event) {
  // Observers may come and go while they are told.
  std::vector<Observer> observers;
  for (const auto& [id, observer] : observers_) observers.push_back(observer);
  for (const auto& observer : observers) observer(event);
}

void Outbox::changed(const std::string& key) { notify({key, std::nullopt, false}); }

void Outbox::runOnWorker(std::function<std::function<void(Outbox&)>()> work) {
  ++workerTasks_;
  worker_->async([weak = weak_from_this(), &loop = loop_, work = std::move(work)] {
    auto then = work();
    loop.async([weak, then = std::move(then)] {
      auto self = weak.lock();
      if (!self) return;
      --self->workerTasks_;
      if (then) then(*self);
    });
  });
}

void Outbox::start() {
  // On the main thread: it must be over before a tap stages anything.
  auto recovered = store_->recover();
  for (auto& listed : recovered.entries) {
    if (find(listed.record.idempotencyKey)) continue;
    Item item;
    item.status.idempotencyKey = listed.record.idempotencyKey;
    item.status.ticketId = listed.record.ticketId;
    item.status.tappedAt = listed.record.tappedAt;
    item.status.attempts = listed.record.attempts;
    item.status.lastError = listed.record.lastError;
    item.onDisk = true;
    if (!listed.problem.empty()) reportUnreadable(item, listed.problem);
    items_.push_back(std::move(item));
  }
  if (!recovered.leftovers.empty()) {
    runOnWorker([store = store_, leftovers = std::move(recovered.leftovers)]() -> std::function<void(Outbox&)> {
      for (const auto& folder : leftovers) store->removeLeftover(folder);
      return nullptr;
    });
  }
  changed({});
  beginRound();
}

bool Outbox::submit(ServiceSubmission submission) {
  const std::string key = submission.idempotencyKey;
  Item* item = find(key);
  if (item && item->status.phase != Phase::pending) return false;
  const platform::TimePoint tappedAt = loop_.clock().now();
  auto staged = store_->stage(submission);
  if (!staged) {
    std::cerr << "outbox: the service of ticket " << submission.ticketId
              << " cannot be kept: " << staged.error().message << std::endl;
    notify({key, Outcome::failed, true});
    return true;
  }
  if (!item) {
    items_.push_back(Item{});
    item = &items_.back();
    item->status.idempotencyKey = key;
    item->status.tappedAt = tappedAt;
  }
  item->status.ticketId = submission.ticketId;
  item->status.phase = Phase::writing;
  item->status.tapped = true;
  item->cancelAfterWrite = false;
  changed(key);
  runOnWorker([store = store_, staged = std::move(staged).value(), tappedAt, key]() -> std::function<void(Outbox&)> {
    auto record = store->commit(staged, tappedAt);
    return [key, record = std::move(record)](Outbox& self) { self.committed(key, record); };
  });
  return true;
}

void Outbox::committed(const std::string& key, const platform::Result<EntryRecord>& record) {
  Item* item = find(key);
  if (!item) return;
  if (!record) {
    std::cerr << "outbox: the service of ticket " << item->status.ticketId
              << " cannot be kept: " << record.error().message << std::endl;
    if (item->onDisk) {
      item->status.phase = Phase::pending;
      item->status.tapped = false;
    } else {
      items_.erase(items_.begin() + (item - items_.data()));
    }
    notify({key, Outcome::failed, true});
    scheduleRetry();
    return;
  }
  item->onDisk = true;
  item->reported = false;
  item->status.tappedAt = record->tappedAt;
  item->status.attempts = record->attempts;
  item->status.lastError = record->lastError;
  if (item->cancelAfterWrite) {
    item->status.phase = Phase::pending;
    item->status.tapped = false;
    notify({key, Outcome::cancelled, true});
    scheduleRetry();
    return;
  }
  item->status.phase = Phase::queued;
  tapQueue_.push_back(key);
  changed(key);
  pump();
}

void Outbox::beginRound() {
  if (waitingForSignIn_) return;
  roundActive_ = true;
  triedThisRound_.clear();
  pump();
}

void Outbox::pump() {
  if (current_) return;
  if (!tapQueue_.empty()) {
    const std::string key = tapQueue_.front();
    tapQueue_.pop_front();
    send(key, true);
    return;
  }
  if (!roundActive_) return;
  const Item* next = nullptr;
  if (!waitingForSignIn_) {
    for (const auto& item : items_) {
      if (item.status.phase != Phase::pending || !item.onDisk || triedThisRound_.count(item.status.idempotencyKey)) {
        continue;
      }
      if (!next || olderThan(item.status, next->status)) next = &item;
    }
  }
  if (!next) {
    roundActive_ = false;
    scheduleRetry();
    return;
  }
  const std::string key = next->status.idempotencyKey;
  triedThisRound_.insert(key);
  send(key, false);
}

void Outbox::send(const std::string& key, bool tapped) {
  Item* item = find(key);
  if (!item) return;
  current_ = Send{key, tapped, false, nullptr};
  item->status.phase = Phase::sending;
  item->status.tapped = tapped;
  item->status.progress.reset();
  changed(key);
  runOnWorker([store = store_, key]() -> std::function<void(Outbox&)> {
    auto entry = store->load(key);
    return [entry = std::move(entry)](Outbox& self) mutable { self.loaded(std::move(entry)); };
  });
}

void Outbox::loaded(platform::Result<LoadedEntry> entry) {
  if (!current_) return;
  if (current_->cancelRequested) return finish(Failure::cancelled, "cancelled");
  if (!entry) {
    if (Item* item = find(current_->key)) reportUnreadable(*item, entry.error().message);
    return finish(Failure::entry, entry.error().message);
  }
  const std::string token = platform::Preferences::standard().stringForKey("token").value_or("");
  auto shared = std::make_shared<const LoadedEntry>(std::move(entry).value());
  api_->postData(
      token, current_->key, [shared](MultipartFormData& form) { appendSubmissionParts(form, *shared); },
      [weak = weak_from_this()](const MultipartFormDataEncodingResult& result) {
        if (auto self = weak.lock()) self->encoded(result);
      });
}

void Outbox::encoded(const MultipartFormDataEncodingResult& result) {
  if (!current_) return;
  if (!result.isSuccess()) {
    const std::string problem = result.error ? result.error->message : "the body could not be built";
    // A part that cannot be added is one of the entry's own files (the video) that cannot be read.
    Item* item = find(current_->key);
    if (item && result.error && result.error->kind == RequestError::Kind::bodyPart) reportUnreadable(*item, problem);
    return finish(Failure::entry, problem);
  }
  current_->request = result.request;
  std::weak_ptr<Outbox> weak = weak_from_this();
  result.request
      ->uploadProgress([weak, key = current_->key](const UploadProgress& progress) {
        std::cout << "IN PROGRESS" << std::endl;
        auto self = weak.lock();
        Item* item = self ? self->find(key) : nullptr;
        if (!item || item->status.phase != Phase::sending) return;
        item->status.progress = progress;
        self->changed(key);
      })
      .responseJSON([weak](std::optional<RequestError> error, std::optional<Json> value, std::optional<int> status) {
        if (auto self = weak.lock()) self->answered(std::move(error), std::move(value), status);
      });
  if (current_->cancelRequested) result.request->cancel();
}

void Outbox::answered(std::optional<RequestError> error, std::optional<Json> value, std::optional<int> status) {
  if (status) {
    // The session tells its answer observer right after this: that one is ours.
    ownAnswer_ = true;
    loop_.async([weak = weak_from_this()] {
      if (auto self = weak.lock()) self->ownAnswer_ = false;
    });
  }
  Failure failure = Failure::entry;
  if (value && status && *status >= 200 && *status < 300) {
    failure = Failure::none;
  } else if (error && error->kind == RequestError::Kind::cancelled) {
    failure = Failure::cancelled;
  } else if (status == 422) {
    failure = Failure::signIn;
  } else if (!status) {
    failure = Failure::network;
  }
  finish(failure, describeAnswer(error, status));
}

void Outbox::finish(Failure failure, const std::string& error) {
  const Send done = std::move(*current_);
  current_.reset();
  Item* item = find(done.key);
  if (!item) return pump();
  const std::string key = done.key;
  if (failure == Failure::none) {
    items_.erase(items_.begin() + (item - items_.data()));
    runOnWorker([store = store_, key]() -> std::function<void(Outbox&)> {
      // Should it stay, the next start sends it again and the key keeps the server from storing it twice.
      if (auto problem = store->remove(key)) std::cerr << "outbox: " << *problem << std::endl;
      return nullptr;
    });
    retries_ = 0;
    stopRetry();
    // The server took it with the token it has now, and answers again: on with the other entries.
    waitingForSignIn_ = false;
    if (!roundActive_) triedThisRound_.clear();
    roundActive_ = true;
    notify({key, Outcome::sent, done.tapped});
    pump();
    return;
  }
  item->status.phase = Phase::pending;
  item->status.tapped = false;
  item->status.progress.reset();
  // A send cancelled before its upload began is no attempt.
  if (failure != Failure::cancelled || done.request) {
    item->status.attempts += 1;
    item->status.lastError = failure == Failure::cancelled ? "cancelled" : error;
    runOnWorker([store = store_, key, attempts = item->status.attempts,
                 lastError = item->status.lastError]() -> std::function<void(Outbox&)> {
      store->recordAttempt(key, attempts, lastError);
      return nullptr;
    });
  }
  if (failure == Failure::signIn) {
    waitingForSignIn_ = true;
    stopRetry();
  }
  // Without an answer from the server there is no point trying the others now. A cancelled
  // service waits for the next round.
  if (failure == Failure::network || failure == Failure::signIn) roundActive_ = false;
  if (failure == Failure::cancelled) triedThisRound_.insert(key);
  notify({key, failure == Failure::cancelled ? Outcome::cancelled : Outcome::failed, done.tapped});
  scheduleRetry();
  pump();
}

void Outbox::cancel(const std::string& key) {
  if (current_ && current_->key == key) {
    current_->cancelRequested = true;
    if (current_->request) current_->request->cancel();
    return;
  }
  Item* item = find(key);
  if (!item) return;
  if (auto queued = std::find(tapQueue_.begin(), tapQueue_.end(), key); queued != tapQueue_.end()) {
    tapQueue_.erase(queued);
    triedThisRound_.insert(key);
    item->status.phase = Phase::pending;
    item->status.tapped = false;
    notify({key, Outcome::cancelled, true});
    scheduleRetry();
  } else if (item->status.phase == Phase::writing) {
    item->cancelAfterWrite = true;
  }
}

void Outbox::didSignIn() {
  waitingForSignIn_ = false;
  retries_ = 0;
  beginRound();
}

void Outbox::serverAnswered(int status) {
  if (ownAnswer_) return;
  if (status >= 200 && status < 300) beginRound();
}

void Outbox::reportUnreadable(Item& item, const std::string& problem) {
  if (item.reported) return;
  item.reported = true;
  std::cerr << "outbox: the service of ticket " << item.status.ticketId << " (" << item.status.idempotencyKey
            << ") cannot be read and stays in the outbox: " << problem << std::endl;
}

void Outbox::scheduleRetry() {
  const bool pending = std::any_of(items_.begin(), items_.end(), [](const Item& item) {
    return item.onDisk && item.status.phase == Phase::pending;
  });
  if (!pending || waitingForSignIn_) return stopRetry();
  if (retryTimer_ && retryTimer_->isValid()) return;
  const auto delay = kRetryDelays[std::min(retries_, kRetryDelays.size() - 1)];
  ++retries_;
  retryAt_ = loop_.clock().now() + delay;
  retryTimer_ = loop_.scheduleTimer(delay, false, [weak = weak_from_this()](platform::Timer&) {
    auto self = weak.lock();
    if (!self) return;
    self->retryTimer_.reset();
    self->beginRound();
  });
}

void Outbox::stopRetry() {
  if (retryTimer_) retryTimer_->invalidate();
  retryTimer_.reset();
}

}  // namespace instala::outbox
