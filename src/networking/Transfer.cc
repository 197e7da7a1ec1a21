#include "networking/Transfer.h"

#include <cstdio>
#include <string_view>

namespace instala {
namespace {

// Bodies larger than this are read and written in pieces of kLargeBodyBufferSize.
constexpr std::size_t kLargeBody = 1 << 20;
constexpr std::size_t kLargeBodyBufferSize = 512 * 1024;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// curl reads "Name:" as "drop your own Name header" and "Name;" as "send Name
// with an empty value".
std::string headerLine(const std::string& name, const std::string& value) {
  if (trimmed(value).empty()) return name + ";";
  return name + ": " + value;
}

}  // namespace

Transfer::Transfer(HTTPRequest request, TransferOptions options, Completion completion)
    : request_(std::move(request)), options_(std::move(options)), completion_(std::move(completion)) {}

Transfer::~Transfer() {
  if (handle_) curl_easy_cleanup(handle_);
  if (headers_) curl_slist_free_all(headers_);
}

curl_slist* Transfer::headerList(const SessionConfiguration& configuration) const {
  HTTPHeaders all = request_.headers;
  for (const auto& [name, value] : configuration.defaultHeaders) all.emplace(name, value);
  std::vector<std::string> lines;
  for (const auto& [name, value] : all) lines.push_back(headerLine(name, value));
  // curl would add these on its own. An Expect: 100-continue costs a second of
  // waiting with servers that never answer 100; Accept: */* and the form
  // Content-Type of a POST are headers this client does not send.
  for (const char* name : {"Expect", "Accept", "Content-Type"}) {
    if (!all.count(name)) lines.push_back(std::string(name) + ":");
  }
  curl_slist* list = nullptr;
  for (const auto& line : lines) {
    curl_slist* extended = curl_slist_append(list, line.c_str());
    if (!extended) {
      curl_slist_free_all(list);
      return nullptr;
    }
    list = extended;
  }
  return list;
}

std::optional<RequestError> Transfer::prepare(const SessionConfiguration& configuration) {
  handle_ = curl_easy_init();
  headers_ = headerList(configuration);
  maxAnswerSize_ = configuration.maxAnswerSize;
  if (!handle_ || !headers_) return RequestError{RequestError::Kind::transport, "out of memory"};

  CURLcode status = CURLE_OK;
  auto set = [&](CURLoption option, auto value) {
    if (status == CURLE_OK) status = curl_easy_setopt(handle_, option, value);
  };
  set(CURLOPT_PRIVATE, this);
  set(CURLOPT_URL, request_.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_FOLLOWLOCATION, 0L);
  // Certificates are always checked; there is no switch to turn that off.
  set(CURLOPT_SSL_VERIFYPEER, 1L);
  set(CURLOPT_SSL_VERIFYHOST, 2L);
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(configuration.connectTimeout.count()));
  // Fewer than 1 byte per second over the idle time-out ends the exchange.
  set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(configuration.idleTimeout.count()));
  set(CURLOPT_ERRORBUFFER, errorBuffer_);
  set(CURLOPT_HTTPHEADER, headers_);
  set(CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
  set(CURLOPT_HEADERDATA, this);
  set(CURLOPT_WRITEFUNCTION, &Transfer::onBody);
  set(CURLOPT_WRITEDATA, this);
  set(CURLOPT_PREREQFUNCTION, &Transfer::onPrerequest);
  set(CURLOPT_PREREQDATA, this);
  if (status != CURLE_OK) return RequestError{RequestError::Kind::transport, curl_easy_strerror(status)};

  configureMethodAndBody();
  if (options_.onUploadProgress) {
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
  }
  return std::nullopt;
}

void Transfer::configureMethodAndBody() {
  const HTTPMethod method = request_.method;
  const bool hasBody = request_.body != nullptr;
  if (method == HTTPMethod::HEAD) {
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
    return;
  }
  if (method == HTTPMethod::GET && !hasBody) {
    curl_easy_setopt(handle_, CURLOPT_HTTPGET, 1L);
    return;
  }
  if (method != HTTPMethod::POST) {
    curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, std::string(methodName(method)).c_str());
  }
  if (hasBody) {
    // A known length: Content-Length, never chunked.
    curl_easy_setopt(handle_, CURLOPT_POST, 1L);
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request_.body->size()));
    // No seek function: the body is never rewound to be sent again.
    curl_easy_setopt(handle_, CURLOPT_READFUNCTION, &Transfer::onRead);
    curl_easy_setopt(handle_, CURLOPT_READDATA, this);
    if (request_.body->size() > kLargeBody) {
      curl_easy_setopt(handle_, CURLOPT_UPLOAD_BUFFERSIZE, static_cast<long>(kLargeBodyBufferSize));
    }
  } else if (method == HTTPMethod::POST) {
    // An empty POST: "Content-Length: 0", and nothing read from standard input.
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, "");
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
  }
}

std::size_t Transfer::onHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  const std::string_view line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) {
    // A new status line: what came before belonged to an interim (1xx) answer.
    transfer.responseHeaders_.clear();
    transfer.responseBody_.clear();
    transfer.received_ = 0;
    transfer.headerBlockEnded_ = false;
  } else if (line == "\r\n" || line == "\n") {
    transfer.headerBlockEnded_ = true;
  } else if (const auto colon = line.find(':'); colon != std::string_view::npos && colon > 0) {
    const std::string name(trimmed(line.substr(0, colon)));
    const std::string value(trimmed(line.substr(colon + 1)));
    auto [entry, inserted] = transfer.responseHeaders_.emplace(name, value);
    if (!inserted) entry->second += ", " + value;
  }
  return size * count;
}

std::optional<long> Transfer::currentStatus() const {
  long code = 0;
  if (curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK || code == 0) return std::nullopt;
  return code;
}

std::size_t Transfer::onBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  const std::size_t bytes = size * count;
  const bool keep = !transfer.options_.keepBodyOnlyOn200 || transfer.currentStatus() == 200;
  curl_off_t announced = -1;
  if (transfer.received_ == 0) curl_easy_getinfo(transfer.handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
  transfer.received_ += bytes;
  // Past the cap the transfer stops at once (a short count aborts it); an
  // announced length past it stops the answer before its body arrives.
  if (transfer.received_ > transfer.maxAnswerSize_ ||
      (announced > 0 && static_cast<std::uint64_t>(announced) > transfer.maxAnswerSize_)) {
    transfer.tooLarge_ = true;
    return 0;
  }
  if (keep) {
    if (announced > 0) transfer.responseBody_.reserve(static_cast<std::size_t>(announced));
    transfer.responseBody_.append(data, bytes);
  }
  return bytes;
}

std::size_t Transfer::onRead(char* buffer, std::size_t size, std::size_t count, void* self) {
  auto& transfer = *static_cast<Transfer*>(self);
  auto copied = transfer.request_.body->read(buffer, size * count);
  return copied ? *copied : CURL_READFUNC_ABORT;
}

// libcurl writes a request again, on a fresh connection, when a reused
// connection ends without any answer: the server may have closed it as the
// request went out, or after reading all of it. The second case cannot be
// told from the first, so only requests that change nothing on the server
// (GET and HEAD without a body) go out again; any other request that had a
// byte written ends here, as a transport error.
int Transfer::onPrerequest(void* self, char*, char*, int, int) {
  auto& transfer = *static_cast<Transfer*>(self);
  if (transfer.attempts_++ == 0 || transfer.maySendAgain()) return CURL_PREREQFUNC_OK;
  transfer.sendingAgainRefused_ = true;
  return CURL_PREREQFUNC_ABORT;
}

bool Transfer::maySendAgain() const {
  const HTTPMethod method = request_.method;
  if ((method == HTTPMethod::GET || method == HTTPMethod::HEAD) && !request_.body) return true;
  // Nothing of it was written: the connection failed as the request began.
  long written = 0;
  curl_easy_getinfo(handle_, CURLINFO_REQUEST_SIZE, &written);
  return written == 0 && !(request_.body && request_.body->started());
}

int Transfer::onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
  auto& transfer = *static_cast<Transfer*>(self);
  const auto sent = static_cast<std::uint64_t>(uploaded);
  if (sent != transfer.lastReportedUpload_ && transfer.request_.body) {
    transfer.lastReportedUpload_ = sent;
    transfer.options_.onUploadProgress(sent, transfer.request_.body->size());
  }
  return 0;
}

HTTPResponse Transfer::finish(CURLcode result) {
  state_ = State::finished;
  HTTPResponse response;
  if (tooLarge_) {
    response.error = RequestError{RequestError::Kind::tooLarge,
                                  "the answer is larger than " + std::to_string(maxAnswerSize_) + " bytes"};
    return response;
  }
  if (result != CURLE_OK) {
    if (request_.body && request_.body->error()) {
      response.error = request_.body->error();
    } else if (sendingAgainRefused_) {
      response.error = RequestError{RequestError::Kind::transport,
                                    "the connection closed before an answer came; the request is not sent again"};
    } else {
      const auto kind =
          result == CURLE_OPERATION_TIMEDOUT ? RequestError::Kind::timedOut : RequestError::Kind::transport;
      response.error = RequestError{kind, errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(result)};
    }
    return response;
  }
  // libcurl accepts an answer cut inside its header block; nothing of it counts.
  if (currentStatus() && !headerBlockEnded_) {
    response.error =
        RequestError{RequestError::Kind::transport, "the connection closed inside the answer's header block"};
    return response;
  }
  if (auto status = currentStatus()) {
    response.status = static_cast<int>(*status);
    response.headers = std::move(responseHeaders_);
    response.body = std::move(responseBody_);
  }
  return response;
}

HTTPResponse Transfer::fail(RequestError error) {
  state_ = State::finished;
  HTTPResponse response;
  response.error = std::move(error);
  return response;
}

}  // namespace instala
