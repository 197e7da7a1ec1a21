#include "networking/Session.h"

#include "networking/Transfer.h"

#include <atomic>
#include <cstdlib>
#include <iostream>

namespace instala {
namespace {

// Bytes sent, kept by the worker and read by the one report waiting on the main queue.
struct ProgressMailbox {
  std::atomic<std::uint64_t> sent{0};
  std::atomic<std::uint64_t> total{0};
  std::atomic<bool> reportQueued{false};
  Session::Progress handler;
};

RequestError cancelledError() { return RequestError{RequestError::Kind::cancelled, "the session was closed"}; }

}  // namespace

void Session::initializeTransport() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
      std::cerr << "libcurl could not be initialised" << std::endl;
      std::abort();
    }
  });
}

Session& Session::shared() {
  static Session session(SessionConfiguration::standard());
  return session;
}

Session::Session(SessionConfiguration configuration, platform::RunLoop& mainLoop)
    : configuration_(std::move(configuration)), mainLoop_(mainLoop) {
  worker_ = std::thread([this] { run(); });
  encodingQueue_ = std::make_unique<BackgroundQueue>();
}

Session::~Session() {
  encodingQueue_.reset();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake();
  worker_.join();
  if (multi_) curl_multi_cleanup(multi_);
}

void Session::wake() {
  std::lock_guard lock(mutex_);
  if (multi_) {
    curl_multi_wakeup(multi_);
  } else {
    firstRequest_.notify_one();
  }
}

Session::TransferId Session::start(HTTPRequest request, bool keepBodyOnlyOn200, Completion completion,
                                   Progress progress) {
  return startReading(
      std::move(request), keepBodyOnlyOn200,
      [completion = std::move(completion)](HTTPResponse response) mutable -> std::function<void()> {
        return [completion = std::move(completion), response = std::move(response)]() mutable {
          completion(std::move(response));
        };
      },
      std::move(progress));
}

Session::TransferId Session::startReading(HTTPRequest request, bool keepBodyOnlyOn200, Reader reader,
                                          Progress progress) {
  beginWork();
  TransferOptions options;
  options.keepBodyOnlyOn200 = keepBodyOnlyOn200;
  if (progress) {
    auto mailbox = std::make_shared<ProgressMailbox>();
    mailbox->handler = std::move(progress);
    options.onUploadProgress = [mailbox, &loop = mainLoop_](std::uint64_t sent, std::uint64_t total) {
      mailbox->sent = sent;
      mailbox->total = total;
      if (mailbox->reportQueued.exchange(true)) return;
      loop.async([mailbox] {
        // Cleared before reading, so a later update either is read here or queues a report of its own.
        mailbox->reportQueued = false;
        mailbox->handler(mailbox->sent, mailbox->total);
      });
    };
  }
  // The transfer's completion runs where the exchange ends; it reads the
  // answer there and hands only the result to the main loop.
  // The answer observer hears the status after the exchange's own task.
  auto completion = [reader = std::move(reader), &loop = mainLoop_, inFlight = workInFlight_,
                     observer = answerObserver_](HTTPResponse response) {
    const std::optional<int> status = response.status;
    loop.async([task = reader(std::move(response)), inFlight, observer, status] {
      task();
      if (status && *observer) (*observer)(*status);
      --*inFlight;
    });
  };
  auto transfer = std::make_unique<Transfer>(std::move(request), std::move(options), std::move(completion));
  TransferId id = 0;
  {
    std::lock_guard lock(mutex_);
    id = ++lastId_;
    if (!stopping_) {
      waiting_.push_back({id, std::move(transfer)});
    }
  }
  if (transfer) {
    HTTPResponse response = transfer->fail(cancelledError());
    complete(std::move(transfer), std::move(response));
    return id;
  }
  wake();
  return id;
}

void Session::cancel(TransferId id) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    cancelRequests_.push_back(id);
  }
  wake();
}

bool Session::waitForFirstRequest() {
  {
    std::unique_lock lock(mutex_);
    firstRequest_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (stopping_) return false;
  }
  initializeTransport();
  CURLM* multi = curl_multi_init();
  if (!multi) {
    std::cerr << "libcurl could not create a session" << std::endl;
    std::abort();
  }
  std::lock_guard lock(mutex_);
  multi_ = multi;
  return true;
}

void Session::run() {
  if (!waitForFirstRequest()) {
    cancelAll();
    return;
  }
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
    }
    addWaitingTransfers();
    cancelRequestedTransfers();
    int running = 0;
    curl_multi_perform(multi_, &running);
    finishDoneTransfers();
    // Returns early on socket activity, curl's own timers and curl_multi_wakeup.
    curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
  }
  cancelAll();
}

void Session::addWaitingTransfers() {
  std::vector<Entry> arrived;
  {
    std::lock_guard lock(mutex_);
    arrived.swap(waiting_);
  }
  for (auto& [id, transfer] : arrived) {
    if (auto error = transfer->prepare(configuration_)) {
      HTTPResponse response = transfer->fail(*error);
      complete(std::move(transfer), std::move(response));
      continue;
    }
    if (const CURLMcode code = curl_multi_add_handle(multi_, transfer->handle()); code != CURLM_OK) {
      HTTPResponse response = transfer->fail(RequestError{RequestError::Kind::transport, curl_multi_strerror(code)});
      complete(std::move(transfer), std::move(response));
      continue;
    }
    transfer->markRunning();
    CURL* handle = transfer->handle();
    running_.emplace(handle, Entry{id, std::move(transfer)});
  }
}

// Requests for exchanges that have already ended find nothing and are dropped.
void Session::cancelRequestedTransfers() {
  std::vector<TransferId> requested;
  {
    std::lock_guard lock(mutex_);
    requested.swap(cancelRequests_);
  }
  for (const TransferId id : requested) {
    for (auto it = running_.begin(); it != running_.end(); ++it) {
      if (it->second.id != id) continue;
      // Taking a handle off in mid-transfer closes its connection.
      curl_multi_remove_handle(multi_, it->first);
      auto transfer = std::move(it->second.transfer);
      running_.erase(it);
      HTTPResponse response = transfer->fail(RequestError{RequestError::Kind::cancelled, "cancelled"});
      complete(std::move(transfer), std::move(response));
      break;
    }
  }
}

void Session::finishDoneTransfers() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    CURL* handle = message->easy_handle;
    const CURLcode result = message->data.result;
    curl_multi_remove_handle(multi_, handle);
    auto node = running_.extract(handle);
    if (node.empty()) continue;
    HTTPResponse response = node.mapped().transfer->finish(result);
    complete(std::move(node.mapped().transfer), std::move(response));
  }
}

void Session::complete(std::unique_ptr<Transfer> transfer, HTTPResponse response) {
  Transfer::Completion completion = transfer->takeCompletion();
  // The body goes first (its files are closed here), then the caller hears of it.
  transfer.reset();
  completion(std::move(response));
}

void Session::cancelAll() {
  for (auto& [handle, entry] : running_) {
    curl_multi_remove_handle(multi_, handle);
    HTTPResponse response = entry.transfer->fail(cancelledError());
    complete(std::move(entry.transfer), std::move(response));
  }
  running_.clear();
  std::vector<Entry> waiting;
  {
    std::lock_guard lock(mutex_);
    waiting.swap(waiting_);
  }
  for (auto& [id, transfer] : waiting) {
    HTTPResponse response = transfer->fail(cancelledError());
    complete(std::move(transfer), std::move(response));
  }
}

}  // namespace instala
