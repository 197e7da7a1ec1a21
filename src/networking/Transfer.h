#pragma once
// One request inside the session: its curl handle, the header list, the body
// being sent and the answer being received. Everything here runs on the
// session's worker thread; only the completion and progress callbacks leave it.

#include "networking/HTTPRequest.h"
#include "networking/HTTPResponse.h"
#include "networking/SessionConfiguration.h"

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace instala {

struct TransferOptions {
  // A JSON request never reads the body of an answer other than 200.
  bool keepBodyOnlyOn200 = false;
  // Called on the worker thread as bytes go out: (sent, total).
  std::function<void(std::uint64_t, std::uint64_t)> onUploadProgress;
};

class Transfer {
 public:
  enum class State {
    waiting,   // handed to the session, not yet on the multi handle
    running,   // on the multi handle
    finished,  // the response is complete; only the completion remains
  };
  using Completion = std::function<void(HTTPResponse)>;

  Transfer(HTTPRequest request, TransferOptions options, Completion completion);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // Creates the easy handle for the session's configuration. An error means
  // the request cannot be sent at all.
  std::optional<RequestError> prepare(const SessionConfiguration& configuration);
  CURL* handle() const { return handle_; }
  State state() const { return state_; }
  void markRunning() { state_ = State::running; }

  // Turns the transport's result into the response and hands back the completion.
  HTTPResponse finish(CURLcode result);
  HTTPResponse fail(RequestError error);
  Completion takeCompletion() { return std::move(completion_); }

 private:
  static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* self);
  static int onPrerequest(void* self, char* remoteAddress, char* localAddress, int remotePort, int localPort);
  static int onProgress(void* self, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
                        curl_off_t uploaded);
  void configureMethodAndBody();
  curl_slist* headerList(const SessionConfiguration& configuration) const;
  std::optional<long> currentStatus() const;
  bool maySendAgain() const;

  HTTPRequest request_;
  TransferOptions options_;
  Completion completion_;
  State state_ = State::waiting;
  CURL* handle_ = nullptr;
  curl_slist* headers_ = nullptr;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  HTTPHeaders responseHeaders_;
  std::string responseBody_;
  // Body bytes of the final answer received so far, kept or not, against the session's cap.
  std::uint64_t received_ = 0;
  std::uint64_t maxAnswerSize_ = 0;
  bool tooLarge_ = false;
  std::uint64_t lastReportedUpload_ = 0;
  int attempts_ = 0;              // times the request was about to be written to a connection
  bool sendingAgainRefused_ = false;
  bool headerBlockEnded_ = false;  // the current answer's header block reached its empty line
};

}  // namespace instala
