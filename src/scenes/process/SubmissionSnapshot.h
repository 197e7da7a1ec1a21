#pragma once
// What one submission sends, read on the main thread when "Finalizar" is
// tapped, so the body builder on the background worker never reads a screen.
// Only the photos are read by the builder itself, from the photo store.

#include "models/ProcessData.h"
#include "models/Ticket.h"

#include <filesystem>
#include <optional>
#include <string>

namespace instala {

struct SubmissionSnapshot {
  std::optional<Ticket> ticket;
  std::optional<ProcessData> initialData;  // from "dataElements"; none when missing or unreadable
  std::optional<ProcessData> finalData;
  std::string token;                             // empty when signed out
  std::optional<std::filesystem::path> videoPath;  // from "video"
};

}  // namespace instala
