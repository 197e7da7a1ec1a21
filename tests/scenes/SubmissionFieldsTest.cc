#include "scenes/process/SubmissionFields.h"

#include <gtest/gtest.h>

#include <map>

namespace instala {
namespace {

const std::vector<std::string> kExpectedOrder = {
    "ticket_id", "initial_kilometers", "initial_ignition", "initial_headlights", "initial_directionals",
    "initial_backlights", "initial_doors", "initial_door_locks", "initial_car_horn", "initial_stereo",
    "initial_interior_light", "initial_wipers", "initial_air_conditioner_control", "initial_side_view_mirrors",
    "initial_rear_view_mirror", "initial_fuel_line", "initial_trailer_abs", "initial_trailer_abs_1",
    "initial_trailer_abs_2", "initial_trailer_lights_1", "initial_trailer_lights_2", "initial_observations",
    "initial_time", "electrical_lifts_initial", "final_kilometers", "finall_ignition", "finall_headlights",
    "final_directionals", "final_backlights", "final_doors", "final_door_locks", "final_car_horn", "final_stereo",
    "final_interior_light", "final_wipers", "final_air_conditioner_control", "final_side_view_mirrors",
    "final_rear_view_mirror", "final_fuel_line", "final_trailer_abs", "final_trailer_abs_1", "final_trailer_abs_2",
    "final_trailer_lights_1", "final_trailer_lights_2", "electrical_lifts_final", "final_observations"};

std::map<std::string, std::string> asTexts(const SubmissionFields& fields) {
  std::map<std::string, std::string> texts;
  for (const auto& [name, value] : fields) texts[name] = submissionText(value);
  return texts;
}

TEST(SubmissionFields, FortySixFieldsInTheServersOrder) {
  auto fields = submissionFields(std::nullopt, std::nullopt, std::nullopt);
  std::vector<std::string> names;
  for (const auto& [name, value] : fields) names.push_back(name);
  EXPECT_EQ(names, kExpectedOrder);
}

TEST(SubmissionFields, NothingTouchedSendsFalseZeroAndEmptyTexts) {
  auto texts = asTexts(submissionFields(std::nullopt, std::nullopt, std::nullopt));
  int falses = 0;
  for (const auto& [name, text] : texts) falses += text == "false";
  EXPECT_EQ(falses, 40);
  EXPECT_EQ(texts["ticket_id"], "0");
  for (const char* empty : {"initial_kilometers", "final_kilometers", "initial_observations", "initial_time",
                            "final_observations"}) {
    EXPECT_EQ(texts[empty], "") << empty;
  }
}

TEST(SubmissionFields, EachSwitchReachesExactlyItsOwnField) {
  struct Case {
    int index;
    bool initialSide;
    const char* field;  // nullptr: no field changes
  } cases[] = {
      {15, true, "initial_trailer_abs"},   // ABS Tractocamión
      {20, false, "electrical_lifts_final"},  // Ascensores eléctricos
      {7, true, "initial_car_horn"},       // Claxón
      {0, false, "finall_ignition"},
      {6, true, nullptr},                  // Elevadores eléctricos is never sent
      {6, false, nullptr},
  };
  const auto baseline = asTexts(submissionFields(std::nullopt, std::nullopt, std::nullopt));
  for (const auto& c : cases) {
    ProcessData record;
    record.setItem(c.index, true);
    auto texts = c.initialSide ? asTexts(submissionFields(std::nullopt, record, std::nullopt))
                               : asTexts(submissionFields(std::nullopt, std::nullopt, record));
    for (const auto& [name, text] : texts) {
      const bool expectedOn = c.field && name == c.field;
      EXPECT_EQ(text, expectedOn ? "true" : baseline.at(name)) << c.index << " " << name;
    }
  }
}

TEST(SubmissionFields, TicketIdAndReadingsAreCarried) {
  Ticket::Fields fields;
  fields.id = -42;
  ProcessData initial, final;
  initial.kilometers = "120500";
  final.kilometers = "120512";
  auto texts = asTexts(submissionFields(Ticket(fields), initial, final));
  EXPECT_EQ(texts["ticket_id"], "-42");
  EXPECT_EQ(texts["initial_kilometers"], "120500");
  EXPECT_EQ(texts["final_kilometers"], "120512");
  EXPECT_EQ(asTexts(submissionFields(Ticket(), initial, final))["ticket_id"], "0");
}

TEST(SubmissionFields, AbsentItemOrKilometersReadAsFalseAndEmpty) {
  ProcessData decoded;
  decoded.kilometers.reset();
  decoded.clearItem(0);
  auto texts = asTexts(submissionFields(std::nullopt, decoded, std::nullopt));
  EXPECT_EQ(texts["initial_ignition"], "false");
  EXPECT_EQ(texts["initial_kilometers"], "");
}

}  // namespace
}  // namespace instala
