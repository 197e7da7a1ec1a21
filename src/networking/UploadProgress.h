#pragma once
// How far an upload's body has gone out.

#include <cstdint>

namespace instala {

struct UploadProgress {
  std::uint64_t completedBytes = 0;  // body bytes sent so far
  std::uint64_t totalBytes = 0;      // size of the whole body
};

}  // namespace instala
