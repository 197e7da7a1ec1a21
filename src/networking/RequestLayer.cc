#include "networking/RequestLayer.h"

#include "common/LoadingActivity.h"
#include "networking/ResponseClassification.h"
#include "networking/UploadRequest.h"

namespace instala {
namespace detail {

void sendDataRequest(Session& session, const std::string& url, HTTPMethod method,
                     const std::optional<HTTPHeaders>& headers, const std::optional<Parameters>& parameters,
                     std::optional<bool> showLoading, DataReader read) {
  if (showLoading.value_or(true)) {
    LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor,
                           LoadingActivity::indicatorColor);
  }
  // Every end hides the overlay, first, whether or not this request showed it.
  auto hidingTheOverlay = [](std::function<void()> completion) -> std::function<void()> {
    return [completion = std::move(completion)] {
      LoadingActivity::stop();
      completion();
    };
  };
  auto built = HTTPRequest::make(url, method, headers, parameters);
  if (auto* error = std::get_if<RequestError>(&built)) {
    session.mainLoop().async(hidingTheOverlay(read(*error, nullptr, std::nullopt)));
    return;
  }
  session.startReading(
      std::move(std::get<HTTPRequest>(built)), /*keepBodyOnlyOn200=*/true,
      [read = std::move(read), hidingTheOverlay, limit = session.configuration().maxAnswerSize,
       parsed = std::optional<Json>()](HTTPResponse response) mutable {
        auto outcome = classifyDataResponse(std::move(response), limit);
        auto completion =
            hidingTheOverlay(read(std::move(outcome.error), outcome.json ? &*outcome.json : nullptr, outcome.status));
        // Freeing a large document takes about as long as decoding it: it goes
        // with this reader, once the completion is on its way.
        parsed = std::move(outcome.json);
        return completion;
      });
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
        const auto id = session.startReading(
            std::move(*prepared.request), /*keepBodyOnlyOn200=*/false,
            [upload, limit = session.configuration().maxAnswerSize](HTTPResponse response) mutable
            -> std::function<void()> {
              return [upload = std::move(upload), answer = readJSONResponse(std::move(response), limit)]() mutable {
                upload->didComplete(std::move(answer));
              };
            },
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
