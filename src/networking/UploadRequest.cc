#include "networking/UploadRequest.h"

#include "networking/ContentDecoder.h"

namespace instala {

JSONResponse readJSONResponse(HTTPResponse response, std::uint64_t limit) {
  if (response.error) return {response.error, std::nullopt, std::nullopt};
  if (response.status == 204 || response.status == 205) return {std::nullopt, Json(nullptr), response.status};
  auto decoded = takeDecodedBody(response, limit);
  if (auto* error = std::get_if<RequestError>(&decoded)) {
    if (error->kind == RequestError::Kind::tooLarge) return {*error, std::nullopt, std::nullopt};
    return {*error, std::nullopt, response.status};
  }
  const auto& body = std::get<std::string>(decoded);
  if (body.empty())
    return {RequestError{RequestError::Kind::emptyBody, "the answer has no body"}, std::nullopt, response.status};
  Json value = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded())
    return {RequestError{RequestError::Kind::notJSON, "the answer is not JSON"}, std::nullopt, response.status};
  return {std::nullopt, std::move(value), response.status};
}

UploadRequest& UploadRequest::uploadProgress(ProgressHandler handler) {
  progressHandler_ = std::move(handler);
  return *this;
}

UploadRequest& UploadRequest::responseJSON(ResponseHandler handler) {
  if (response_) {
    deliver(handler);
  } else {
    responseHandlers_.push_back(std::move(handler));
  }
  return *this;
}

void UploadRequest::cancel() {
  if (response_ || !canceller_) return;
  cancelled_ = true;
  auto canceller = std::move(canceller_);
  canceller_ = nullptr;
  canceller();
}

void UploadRequest::didSend(const UploadProgress& progress) {
  if (progressHandler_ && !response_ && !cancelled_) progressHandler_(progress);
}

void UploadRequest::didComplete(JSONResponse response) {
  response_ = std::move(response);
  auto handlers = std::move(responseHandlers_);
  responseHandlers_.clear();
  for (const auto& handler : handlers) handler(response_->error, response_->value, response_->status);
}

// A handler attached after the answer still runs later on the main queue, never inside responseJSON.
void UploadRequest::deliver(const ResponseHandler& handler) const {
  mainLoop_.async([handler, response = *response_] { handler(response.error, response.value, response.status); });
}

}  // namespace instala
