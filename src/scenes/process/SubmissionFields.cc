#include "scenes/process/SubmissionFields.h"

namespace instala {
namespace {

enum class Side { initial, final };

std::string kilometersOf(const std::optional<ProcessData>& record) {
  return record && record->kilometers ? *record->kilometers : std::string();
}

// Every item with a field except the last one: the server lists the electrical
// lifts after the observation fields.
void appendItems(SubmissionFields& fields, const std::optional<ProcessData>& record, Side side) {
  const auto& items = checklistItems();
  for (std::size_t i = 0; i + 1 < items.size(); ++i) {
    const char* name = side == Side::initial ? items[i].initialField : items[i].finalField;
    if (!name) continue;
    fields.emplace_back(name, record ? record->isOn(static_cast<int>(i)) : false);
  }
}

void appendLastItem(SubmissionFields& fields, const std::optional<ProcessData>& record, Side side) {
  const int last = static_cast<int>(kChecklistItemCount) - 1;
  const auto& item = checklistItems()[static_cast<std::size_t>(last)];
  fields.emplace_back(side == Side::initial ? item.initialField : item.finalField, record ? record->isOn(last) : false);
}

}  // namespace

SubmissionFields submissionFields(const std::optional<Ticket>& ticket, const std::optional<ProcessData>& initial,
                                  const std::optional<ProcessData>& final) {
  SubmissionFields fields;
  fields.reserve(46);
  fields.emplace_back("ticket_id", ticket && ticket->id() ? *ticket->id() : std::int64_t{0});
  fields.emplace_back("initial_kilometers", kilometersOf(initial));
  appendItems(fields, initial, Side::initial);
  fields.emplace_back("initial_observations", std::string());
  fields.emplace_back("initial_time", std::string());
  appendLastItem(fields, initial, Side::initial);
  fields.emplace_back("final_kilometers", kilometersOf(final));
  appendItems(fields, final, Side::final);
  appendLastItem(fields, final, Side::final);
  fields.emplace_back("final_observations", std::string());
  return fields;
}

std::string submissionText(const SubmissionValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  return std::get<std::string>(value);
}

}  // namespace instala
