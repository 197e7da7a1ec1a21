#pragma once
// The 46 text fields of a service submission, in the order the server lists
// them, built from the checklist item table.

#include "models/ProcessData.h"
#include "models/Ticket.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace instala {

using SubmissionValue = std::variant<std::int64_t, bool, std::string>;
using SubmissionFields = std::vector<std::pair<std::string, SubmissionValue>>;

// A missing record counts as all false with empty kilometers; a missing ticket
// or id sends 0. "Elevadores eléctricos" has no field.
SubmissionFields submissionFields(const std::optional<Ticket>& ticket, const std::optional<ProcessData>& initial,
                                  const std::optional<ProcessData>& final);

// The bytes of a field's part: "true"/"false", decimal digits, or the text unquoted.
std::string submissionText(const SubmissionValue& value);

}  // namespace instala
