#pragma once
// The two operations through which everything reaches the server:
// performRequest (JSON in, a record out) and uploadMultipart (a multipart
// form). Both are called on the main thread and answer on it.

#include "networking/HTTPMethod.h"
#include "networking/HTTPRequest.h"
#include "networking/MultipartFormData.h"
#include "networking/MultipartFormDataEncodingResult.h"
#include "networking/Session.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace instala {

// error, decoded record, HTTP status; called exactly once, on the main thread.
template <typename T>
using RequestCompletion =
    std::function<void(std::optional<RequestError> error, std::optional<T> value, std::optional<int> status)>;

using FormBuilder = std::function<void(MultipartFormData&)>;
using EncodingCompletion = std::function<void(const MultipartFormDataEncodingResult&)>;

namespace detail {

// Runs once, off the main thread, with the classified answer of a JSON request
// (ResponseClassification.h), `json` being set only for a 200 answer with a
// JSON body, and returns the completion for the main thread. The document is
// the reader's to take apart.
using DataReader =
    std::function<std::function<void()>(std::optional<RequestError> error, Json* json, std::optional<int> status)>;

// Shows the loading overlay (showLoading absent or true), builds and sends the
// request, reads the answer with `read` on the session's worker and, on the
// main thread, hides the overlay and runs the completion `read` returned.
void sendDataRequest(Session& session, const std::string& url, HTTPMethod method,
                     const std::optional<HTTPHeaders>& headers, const std::optional<Parameters>& parameters,
                     std::optional<bool> showLoading, DataReader read);

}  // namespace detail

// Sends one request and decodes a 200 answer as T (T::decode(const Json&)
// returning platform::Result<T>). Only 200 is success; any other status gives
// neither error nor value. A URL text that is not a URL fails before anything
// is sent. The loading overlay is shown when the request is sent (unless
// showLoading is false) and hidden when any exchange ends, before the completion.
// The answer is parsed and decoded on the session's worker; the main thread
// only runs the completion.
template <typename T>
void performRequest(Session& session, const std::string& url, HTTPMethod method,
                    const std::optional<HTTPHeaders>& headers, const std::optional<Parameters>& parameters,
                    std::optional<bool> showLoading, RequestCompletion<T> completion) {
  detail::sendDataRequest(
      session, url, method, headers, parameters, showLoading,
      [completion = std::move(completion)](std::optional<RequestError> error, Json* json,
                                           std::optional<int> status) mutable -> std::function<void()> {
        std::optional<T> record;
        if (json) {
          auto decoded = T::decode(std::move(*json));
          if (decoded) {
            record = std::move(decoded).value();
          } else {
            error = RequestError{RequestError::Kind::decoding, decoded.error().message};
          }
        }
        // Moved, not copied: whatever the completion holds is released on the main thread.
        return [completion = std::move(completion), error = std::move(error), record = std::move(record),
                status]() mutable {
          completion(std::move(error), std::move(record), status);
        };
      });
}

template <typename T>
void performRequest(const std::string& url, HTTPMethod method, const std::optional<HTTPHeaders>& headers,
                    const std::optional<Parameters>& parameters, std::optional<bool> showLoading,
                    RequestCompletion<T> completion) {
  performRequest<T>(Session::shared(), url, method, headers, parameters, showLoading, std::move(completion));
}

// Builds a fresh form with `formBuilder` on a background thread of low
// priority, then sends it with the form's multipart Content-Type (replacing
// any the caller gave). A body whose parts total `threshold` bytes or more is
// read from its sources as it is sent (file parts from their files, checked
// to be unchanged); a smaller one is built in memory first.
// `encodingCompletion` runs once on the main thread, with the started upload
// or the reason why nothing was sent.
void uploadMultipart(Session& session, FormBuilder formBuilder, std::uint64_t threshold, const std::string& url,
                     HTTPMethod method, const std::optional<HTTPHeaders>& headers,
                     EncodingCompletion encodingCompletion);
void uploadMultipart(FormBuilder formBuilder, std::uint64_t threshold, const std::string& url, HTTPMethod method,
                     const std::optional<HTTPHeaders>& headers, EncodingCompletion encodingCompletion);

}  // namespace instala
