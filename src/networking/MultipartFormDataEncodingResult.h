#pragma once
// The outcome of preparing an upload: the upload in flight, or why there is none.

#include "networking/RequestError.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace instala {

class UploadRequest;  // networking/UploadRequest.h

struct MultipartFormDataEncodingResult {
  // Present on success; the upload has already started.
  std::shared_ptr<UploadRequest> request;
  // Whether the body is streamed from a temporary file, and where that file is.
  bool streamingFromDisk = false;
  std::optional<std::filesystem::path> streamFileURL;
  // Present on failure; nothing was sent.
  std::optional<RequestError> error;

  bool isSuccess() const { return request != nullptr; }
};

}  // namespace instala
