#pragma once
// An upload in flight. Its owner attaches a progress handler and a JSON
// response handler on the main thread; both are called on the main thread.
// A response that arrives before a response handler is attached is kept and
// handed to the handler when it comes. cancel() stops the upload at once.
// Only the code that reads upload answers includes this header, as it brings
// in the JSON parser.

#include "models/Json.h"
#include "networking/HTTPResponse.h"
#include "networking/RequestError.h"
#include "networking/UploadProgress.h"
#include "platform/RunLoop.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace instala {

// The reading of an upload's answer, done on the session's worker:
// 1. the exchange failed, or the body decodes past `limit` bytes: that error, no status;
// 2. status 204 or 205: success with a null value, the body ignored;
// 3. an empty body: failure (emptyBody);
// 4. JSON of any kind, scalars included: success with it; anything else: failure (notJSON).
// The status is handed on with every answer that arrived, so that callers can
// also require a successful status.
struct JSONResponse {
  std::optional<RequestError> error;
  std::optional<Json> value;
  std::optional<int> status;
};
JSONResponse readJSONResponse(HTTPResponse response, std::uint64_t limit);

class UploadRequest {
 public:
  using ProgressHandler = std::function<void(const UploadProgress&)>;
  // Exactly one of error and value is present.
  using ResponseHandler =
      std::function<void(std::optional<RequestError> error, std::optional<Json> value, std::optional<int> status)>;

  explicit UploadRequest(platform::RunLoop& mainLoop) : mainLoop_(mainLoop) {}

  // Main thread only.
  UploadRequest& uploadProgress(ProgressHandler handler);
  UploadRequest& responseJSON(ResponseHandler handler);
  bool isFinished() const { return response_.has_value(); }
  // Stops the upload where it is: the connection is closed, no further byte
  // is sent, and the response handlers get a "cancelled" error. Nothing
  // happens once the answer has arrived. Main thread only.
  void cancel();

  // The request layer reports here, on the main thread.
  void setCanceller(std::function<void()> canceller) { canceller_ = std::move(canceller); }
  void didSend(const UploadProgress& progress);
  void didComplete(JSONResponse response);

 private:
  void deliver(const ResponseHandler& handler) const;

  platform::RunLoop& mainLoop_;
  std::function<void()> canceller_;
  // Progress reports already queued when cancel() ran are dropped.
  bool cancelled_ = false;
  ProgressHandler progressHandler_;
  std::vector<ResponseHandler> responseHandlers_;
  std::optional<JSONResponse> response_;
};

}  // namespace instala
