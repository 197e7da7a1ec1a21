#pragma once
// What one submission sends, read on the main thread when "Finalizar" is
// tapped, so nothing later reads a screen. The photos stay in the photo store
// until the outbox takes them. The token is not part of it: every attempt
// reads the token stored at that moment.

#include "models/ProcessData.h"
#include "models/Ticket.h"

#include <filesystem>
#include <optional>

namespace instala {

struct SubmissionSnapshot {
  std::optional<Ticket> ticket;
  std::optional<ProcessData> initialData;  // from "dataElements"; none when missing or unreadable
  std::optional<ProcessData> finalData;
  std::optional<std::filesystem::path> videoPath;  // from "video"
};

}  // namespace instala
