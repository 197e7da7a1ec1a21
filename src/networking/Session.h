#pragma once
// The HTTP session: libcurl's multi interface driven by one worker thread, so
// connections are reused across requests. Requests are handed over from any
// thread; completions and progress reports are delivered on the main run loop.
// The only call into curl from another thread is curl_multi_wakeup. libcurl
// is loaded and set up by the worker when the first request arrives, so a
// start that sends nothing never loads it.

#include "networking/BackgroundQueue.h"
#include "networking/HTTPRequest.h"
#include "networking/HTTPResponse.h"
#include "networking/SessionConfiguration.h"
#include "platform/RunLoop.h"

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace instala {

class Transfer;

class Session {
 public:
  using Completion = std::function<void(HTTPResponse)>;
  using Progress = std::function<void(std::uint64_t sent, std::uint64_t total)>;
  // Reads a finished exchange off the main thread (content decoding, JSON
  // parsing, record decoding) and returns what the main loop then runs.
  using Reader = std::function<std::function<void()>(HTTPResponse)>;
  // Names a started exchange for cancel(); never 0.
  using TransferId = std::uint64_t;
  using AnswerObserver = std::function<void(int status)>;

  // The process's session, created on first use with SessionConfiguration::standard().
  static Session& shared();

  explicit Session(SessionConfiguration configuration, platform::RunLoop& mainLoop = platform::RunLoop::main());
  // Exchanges still running end with a "cancelled" error.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const SessionConfiguration& configuration() const { return configuration_; }
  platform::RunLoop& mainLoop() const { return mainLoop_; }
  // Where multipart bodies are built.
  BackgroundQueue& encodingQueue() { return *encodingQueue_; }

  // Sends the request at once. `completion` runs exactly once on the main loop.
  // `progress` (optional) reports bytes of the body sent, on the main loop,
  // coalesced so that the main queue holds at most one report per request.
  TransferId start(HTTPRequest request, bool keepBodyOnlyOn200, Completion completion, Progress progress = nullptr);
  // As start(), but the response first goes to `reader` on the session's
  // worker thread (on the caller's thread when the session is closing), and
  // only the task it returns runs on the main loop, exactly once. The reader
  // is destroyed there too, after its task has been posted: it should move
  // into the task what the main thread needs, and may keep in itself what is
  // only to be freed.
  TransferId startReading(HTTPRequest request, bool keepBodyOnlyOn200, Reader reader, Progress progress = nullptr);
  // Ends the exchange at once when it is still under way: the worker takes it
  // off the multi handle, which closes its connection, so no further byte is
  // sent, and the completion gets a "cancelled" error. An exchange that has
  // already ended keeps its outcome. Any thread.
  void cancel(TransferId id);

  // Told the status of every answer that arrives, on the main loop right after
  // the exchange's own completion. One observer (the application's outbox,
  // which re-sends once the server answers again); main thread only.
  void setAnswerObserver(AnswerObserver observer) { *answerObserver_ = std::move(observer); }

  // Whether an exchange, or an upload whose body is still being built, has
  // not yet delivered its completion on the main loop. Headless drivers (the
  // console's "wait") wait on it: uploads and geocoding show no overlay.
  bool hasWorkInFlight() const { return workInFlight_->load() > 0; }
  // The request layer counts work that has not reached start() yet (an upload
  // body being built) so that hasWorkInFlight() covers it too.
  void beginWork() { ++*workInFlight_; }
  void endWork() { --*workInFlight_; }

 private:
  // Sets up libcurl for the process, once; safe from any thread in this libcurl
  // build (it reports a thread-safe global initialisation).
  static void initializeTransport();
  // Tells the worker that a request or a cancel arrived, or that the session closes.
  void wake();
  // Waits for the first request; false when the session closed before one came.
  bool waitForFirstRequest();
  void run();
  void addWaitingTransfers();
  void cancelRequestedTransfers();
  void finishDoneTransfers();
  void complete(std::unique_ptr<Transfer> transfer, HTTPResponse response);
  void cancelAll();

  SessionConfiguration configuration_;
  platform::RunLoop& mainLoop_;
  CURLM* multi_ = nullptr;  // made by the worker; others read it under mutex_
  std::condition_variable firstRequest_;

  struct Entry {
    TransferId id = 0;
    std::unique_ptr<Transfer> transfer;
  };

  std::mutex mutex_;
  std::vector<Entry> waiting_;             // guarded by mutex_
  std::vector<TransferId> cancelRequests_;  // guarded by mutex_
  TransferId lastId_ = 0;                  // guarded by mutex_
  bool stopping_ = false;                  // guarded by mutex_

  std::map<CURL*, Entry> running_;  // worker thread only
  std::thread worker_;
  // Stopped first on destruction: its tasks hand requests to the worker.
  std::unique_ptr<BackgroundQueue> encodingQueue_;
  // Shared with the completions queued on the main loop, which may run after the session has gone.
  std::shared_ptr<std::atomic<std::size_t>> workInFlight_ = std::make_shared<std::atomic<std::size_t>>(0);
  // Shared the same way; only the main thread reads or replaces the function.
  std::shared_ptr<AnswerObserver> answerObserver_ = std::make_shared<AnswerObserver>();
};

}  // namespace instala
