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

struct DataOutcome {
  std::optional<RequestError> error;
  std::optional<Json> json;  // present only for a 200 answer with a JSON body
  std::optional<int> status;
};

// The answer of a JSON request, before record decoding:
// | failed exchange (no connection, time-out, invalid URL) | error   | —    | —      |
// | no HTTP answer and no error                            | —       | —    | —      |
// | a status other than 200 (body never read)              | —       | —    | status |
// | 200 with a JSON body                                   | —       | JSON | 200    |
// | 200, body empty, not JSON or badly coded               | decoding| —    | 200    |
DataOutcome classifyDataResponse(const HTTPResponse& response);

// Shows the loading overlay (showLoading absent or true), builds and sends the
// request, and on the main thread hides the overlay and calls `onEnd`.
void sendDataRequest(Session& session, const std::string& url, HTTPMethod method,
                     const std::optional<HTTPHeaders>& headers, const std::optional<Parameters>& parameters,
                     std::optional<bool> showLoading, std::function<void(const HTTPResponse&)> onEnd);

}  // namespace detail

// Sends one request and decodes a 200 answer as T (T::decode(const Json&)
// returning platform::Result<T>). Only 200 is success; any other status gives
// neither error nor value. A URL text that is not a URL fails before anything
// is sent. The loading overlay is shown when the request is sent (unless
// showLoading is false) and hidden when any exchange ends, before the completion.
template <typename T>
void performRequest(Session& session, const std::string& url, HTTPMethod method,
                    const std::optional<HTTPHeaders>& headers, const std::optional<Parameters>& parameters,
                    std::optional<bool> showLoading, RequestCompletion<T> completion) {
  detail::sendDataRequest(session, url, method, headers, parameters, showLoading,
                          [completion = std::move(completion)](const HTTPResponse& response) {
                            auto outcome = detail::classifyDataResponse(response);
                            if (!outcome.json) return completion(outcome.error, std::nullopt, outcome.status);
                            auto record = T::decode(*outcome.json);
                            if (!record) {
                              return completion(RequestError{RequestError::Kind::decoding, record.error().message},
                                                std::nullopt, outcome.status);
                            }
                            completion(std::nullopt, std::move(record).value(), outcome.status);
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
