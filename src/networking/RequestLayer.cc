#include "networking/RequestLayer.h"

#include "common/LoadingActivity.h"
#include "networking/ContentDecoder.h"

namespace instala {
namespace detail {

DataOutcome classifyDataResponse(const HTTPResponse& response) {
  if (response.error) return {response.error, std::nullopt, std::nullopt};
  if (!response.status) return {};
  if (*response.status != 200) return {std::nullopt, std::nullopt, response.status};
  auto it = response.headers.find("Content-Encoding");
  auto decoded = decodeContent(it == response.headers.end() ? "" : it->second, response.body);
  if (auto* error = std::get_if<RequestError>(&decoded)) {
    return {RequestError{RequestError::Kind::decoding, error->message}, std::nullopt, 200};
  }
  const auto& body = std::get<std::string>(decoded);
  if (body.empty()) return {RequestError{RequestError::Kind::decoding, "the answer has no body"}, std::nullopt, 200};
  Json json = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded())
    return {RequestError{RequestError::Kind::decoding, "the answer is not JSON"}, std::nullopt, 200};
  return {std::nullopt, std::move(json), 200};
}

void sendDataRequest(Session& session, const std::string& url, HTTPMethod method,
                     const std::optional<HTTPHeaders>& headers, const std::optional<Parameters>& parameters,
                     std::optional<bool> showLoading, std::function<void(const HTTPResponse&)> onEnd) {
  if (showLoading.value_or(true)) {
    LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor,
                           LoadingActivity::indicatorColor);
  }
  // Every end hides the overlay, first, whether or not this request showed it.
  auto ended = [onEnd = std::move(onEnd)](HTTPResponse response) {
    LoadingActivity::stop();
    onEnd(response);
  };
  auto built = HTTPRequest::make(url, method, headers, parameters);
  if (auto* error = std::get_if<RequestError>(&built)) {
    session.mainLoop().async([ended, response = HTTPResponse{*error, std::nullopt, {}, {}}] { ended(response); });
    return;
  }
  session.start(std::move(std::get<HTTPRequest>(built)), /*keepBodyOnlyOn200=*/true, std::move(ended));
}

}  // namespace detail

namespace {

MultipartFormDataEncodingResult failure(RequestError error) {
  MultipartFormDataEncodingResult result;
  result.error = std::move(error);
  return result;
}

// The body built and the request ready to go, or the failure.
struct PreparedUpload {
  MultipartFormDataEncodingResult result;
  std::optional<HTTPRequest> request;
};

PreparedUpload failed(RequestError error) { return {failure(std::move(error)), std::nullopt}; }

PreparedUpload prepareUpload(Session& session, MultipartFormData form, std::uint64_t threshold, const std::string& url,
                             HTTPMethod method, const std::optional<HTTPHeaders>& headers) {
  auto built = HTTPRequest::make(url, method, headers, std::nullopt);
  if (auto* error = std::get_if<RequestError>(&built)) return failed(*error);
  HTTPRequest request = std::move(std::get<HTTPRequest>(built));
  request.headers.erase("Content-Type");
  request.headers.emplace("Content-Type", form.contentType());
  if (form.bodyPartError()) return failed(*form.bodyPartError());

  // Large bodies are read from their sources as they are sent, so a long
  // video is neither held in memory nor copied; smaller ones are built now.
  const bool streamed = form.contentLength() >= threshold;
  auto opened = RequestBody::open(std::move(form).bodyPieces());
  if (auto* error = std::get_if<RequestError>(&opened)) return failed(*error);
  auto body = std::move(std::get<std::shared_ptr<RequestBody>>(opened));
  if (!streamed) {
    auto bytes = body->readAll();
    if (auto* error = std::get_if<RequestError>(&bytes)) return failed(*error);
    body = std::make_shared<RequestBody>(std::move(std::get<std::string>(bytes)));
  }
  PreparedUpload prepared;
  prepared.result.streamingFromDisk = body->readsFiles();
  prepared.result.request = std::make_shared<UploadRequest>(session.mainLoop());
  request.body = std::move(body);
  prepared.request = std::move(request);
  return prepared;
}

}  // namespace

void uploadMultipart(Session& session, FormBuilder formBuilder, std::uint64_t threshold, const std::string& url,
                     HTTPMethod method, const std::optional<HTTPHeaders>& headers,
                     EncodingCompletion encodingCompletion) {
  session.beginWork();
  session.encodingQueue().async([&session, formBuilder = std::move(formBuilder), threshold, url, method, headers,
                                 encodingCompletion = std::move(encodingCompletion)] {
    MultipartFormData form;
    PreparedUpload prepared;
    try {
      if (formBuilder) formBuilder(form);
      prepared = prepareUpload(session, std::move(form), threshold, url, method, headers);
    } catch (const std::exception& exception) {
      // A builder that throws must not take the background thread, and with it the process, down.
      prepared = failed(
          RequestError{RequestError::Kind::bodyPart, std::string("building the form failed: ") + exception.what()});
    }
    // Started from the main queue, in the same task that reports it, so every
    // progress report and the answer come after the caller attached its handlers.
    session.mainLoop().async([&session, encodingCompletion, prepared = std::move(prepared)]() mutable {
      if (prepared.request) {
        auto upload = prepared.result.request;
        const auto id = session.start(
            std::move(*prepared.request), /*keepBodyOnlyOn200=*/false,
            [upload](HTTPResponse response) { upload->didComplete(response); },
            [upload](std::uint64_t sent, std::uint64_t total) {
              upload->didSend(UploadProgress{sent, total});
            });
        upload->setCanceller([&session, id] { session.cancel(id); });
      }
      if (encodingCompletion) encodingCompletion(prepared.result);
      session.endWork();
    });
  });
}

void uploadMultipart(FormBuilder formBuilder, std::uint64_t threshold, const std::string& url, HTTPMethod method,
                     const std::optional<HTTPHeaders>& headers, EncodingCompletion encodingCompletion) {
  uploadMultipart(Session::shared(), std::move(formBuilder), threshold, url, method, headers,
                  std::move(encodingCompletion));
}

}  // namespace instala
