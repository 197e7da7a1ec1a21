#pragma once
// The outcome of preparing an upload: the upload in flight, or why there is none.

#include "networking/RequestError.h"

#include <memory>
#include <optional>

namespace instala {

class UploadRequest;  // networking/UploadRequest.h

struct MultipartFormDataEncodingResult {
  // Present on success; the upload has already started.
  std::shared_ptr<UploadRequest> request;
  // Whether file contents are read from their files as the body is sent
  // (bodies of the threshold or more), rather than built in memory first.
  bool streamingFromDisk = false;
  // Present on failure; nothing was sent.
  std::optional<RequestError> error;

  bool isSuccess() const { return request != nullptr; }
};

}  // namespace instala
