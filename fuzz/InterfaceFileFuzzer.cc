// An interface file of the bundle: the first byte chooses the kind (odd: a
// nib, even: the storyboard), the rest is the file. The application's classes
// are registered, so scenes and row views are built as at start-up.

#include "app/ClassRegistrations.h"
#include "ui/Nib.h"
#include "ui/Storyboard.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <iostream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace instala;
  static const bool ready = [] {
    registerApplicationClasses();
    std::cerr.rdbuf(nullptr);  // the loaders report every problem they find
    return true;
  }();
  static_cast<void>(ready);
  if (size == 0) return 0;
  const auto json = nlohmann::json::parse(data + 1, data + size, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return 0;
  if (data[0] % 2 == 1) {
    if (auto nib = ui::Nib::fromJSON("FuzzCell", json)) static_cast<void>(nib.value()->instantiate());
  } else if (auto storyboard = ui::Storyboard::fromJSON("Fuzz", json)) {
    static_cast<void>(storyboard.value()->instantiateInitialViewController());
  }
  return 0;
}
