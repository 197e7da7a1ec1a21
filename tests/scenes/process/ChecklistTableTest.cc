// The checklist as the technician sees it and as the server receives it. The
// title on a row is the only link between the switch flipped and the field
// sent, so the table below is written out from the server's field list, not
// taken from the application's own table.

#include "common/CustomButtonCell.h"
#include "platform/PropertyList.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/ProcessElementCell.h"
#include "scenes/process/StepOneTableViewController.h"
#include "scenes/process/StepThreeTableViewController.h"
#include "ui/Switch.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace instala {
namespace {

struct ChecklistRow {
  const char* title;
  const char* property;      // key of the stored record
  const char* initialField;  // nullptr: never sent
  const char* finalField;
};

const ChecklistRow kChecklist[] = {
    {"Ignición", "ignition", "initial_ignition", "finall_ignition"},
    {"Faros delanteros", "headlights", "initial_headlights", "finall_headlights"},
    {"Direccionales", "directional", "initial_directionals", "final_directionals"},
    {"Stop", "stop", "initial_backlights", "final_backlights"},
    {"Puertas", "doors", "initial_doors", "final_doors"},
    {"Seguros electrónicos", "secureSystem", "initial_door_locks", "final_door_locks"},
    {"Elevadores eléctricos", "electricElevators", nullptr, nullptr},
    {"Claxón", "horn", "initial_car_horn", "final_car_horn"},
    {"Autoestéreo", "stereo", "initial_stereo", "final_stereo"},
    {"Luz interior", "interiorLight", "initial_interior_light", "final_interior_light"},
    {"Limpiaparabrisas", "wiperWasher", "initial_wipers", "final_wipers"},
    {"Control A/AC", "ac", "initial_air_conditioner_control", "final_air_conditioner_control"},
    {"Espejos laterales", "lateralMirrors", "initial_side_view_mirrors", "final_side_view_mirrors"},
    {"Retrovisor", "rearview", "initial_rear_view_mirror", "final_rear_view_mirror"},
    {"Línea al tanque", "tankLine", "initial_fuel_line", "final_fuel_line"},
    {"ABS Tractocamión", "tractorAbs", "initial_trailer_abs", "final_trailer_abs"},
    {"ABS Remolque 1", "trailerAbs1", "initial_trailer_abs_1", "final_trailer_abs_1"},
    {"ABS Remolque 2", "trailerAbs2", "initial_trailer_abs_2", "final_trailer_abs_2"},
    {"Luces Remolque 1", "trailerLights1", "initial_trailer_lights_1", "final_trailer_lights_1"},
    {"Luces Remolque 2", "trailerLights2", "initial_trailer_lights_2", "final_trailer_lights_2"},
    {"Ascensores eléctricos", "electricalLifts", "electrical_lifts_initial", "electrical_lifts_final"},
};
constexpr int kRows = static_cast<int>(std::size(kChecklist));
constexpr int kFirstChecklistRow = 2;  // after the progress and odometer rows

class Checklist : public testing::ScreenFixture {
 protected:
  Ticket ticket() const {
    Ticket::Fields fields;
    fields.id = 1042;
    return Ticket(fields);
  }
  template <typename Step>
  std::shared_ptr<Step> open(const char* scene) {
    return show<Step>(scene, [&](Step& step) { step.ticket = ticket(); });
  }
  std::shared_ptr<ProcessElementCell> checklistRow(ui::TableViewController& step, int index) {
    return row<ProcessElementCell>(*step.tableView(), kFirstChecklistRow + index);
  }
  void flip(ui::TableViewController& step, int index) {
    auto cell = checklistRow(step, index);
    ASSERT_TRUE(cell);
    ASSERT_TRUE(tap(*cell->elementSwitch.lock())) << index;
  }
  void expectTitles(ui::TableViewController& step) {
    EXPECT_EQ(step.tableView()->numberOfRows(0), kFirstChecklistRow + kRows + 1);
    for (int index = 0; index < kRows; ++index) {
      auto cell = checklistRow(step, index);
      ASSERT_TRUE(cell) << index;
      EXPECT_EQ(cell->titleLabel.lock()->text(), kChecklist[index].title) << "row " << kFirstChecklistRow + index;
    }
  }
};

TEST_F(Checklist, BothStepsShowTheTwentyOneTitlesInOrder) {
  expectTitles(*open<StepOneTableViewController>("StepOneTableViewController"));
  expectTitles(*open<StepThreeTableViewController>("StepThreeTableViewController"));
}

class ChecklistRowFlip : public Checklist, public ::testing::WithParamInterface<int> {};

// Row N flipped in step one sets exactly its property in the stored record,
// and row N flipped in both steps sends exactly its two fields as true.
TEST_P(ChecklistRowFlip, ReachesExactlyItsPropertyAndItsTwoFields) {
  const int flipped = GetParam();
  const ChecklistRow& item = kChecklist[flipped];

  auto one = open<StepOneTableViewController>("StepOneTableViewController");
  flip(*one, flipped);
  ASSERT_TRUE(tap(*row<CustomButtonCell>(*one->tableView(), kFirstChecklistRow + kRows)->customButton.lock()));
  const auto bytes = platform::Preferences::standard().dataForKey("dataElements");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + std::min<std::size_t>(bytes->size(), 8)), "bplist00");
  const auto stored = platform::decodePropertyList(*bytes);
  ASSERT_TRUE(stored && stored->is<platform::PlistDict>());
  platform::PlistDict expectedRecord{{"kilometers", ""}};
  for (int index = 0; index < kRows; ++index) expectedRecord[kChecklist[index].property] = index == flipped;
  EXPECT_EQ(*stored->get<platform::PlistDict>(), expectedRecord) << item.title;

  auto three = open<StepThreeTableViewController>("StepThreeTableViewController");
  flip(*three, flipped);
  std::map<std::string, std::string> sent;
  for (const auto& [name, value] : three->submissionFields()) sent[name] = submissionText(value);
  std::map<std::string, std::string> expectedFields{{"ticket_id", "1042"},   {"initial_kilometers", ""},
                                                    {"final_kilometers", ""}, {"initial_observations", ""},
                                                    {"initial_time", ""},     {"final_observations", ""}};
  for (int index = 0; index < kRows; ++index) {
    if (!kChecklist[index].initialField) continue;
    const char* on = index == flipped ? "true" : "false";
    expectedFields[kChecklist[index].initialField] = on;
    expectedFields[kChecklist[index].finalField] = on;
  }
  EXPECT_EQ(sent, expectedFields) << item.title;
}

INSTANTIATE_TEST_SUITE_P(Rows, ChecklistRowFlip, ::testing::Range(0, kRows), [](const auto& info) {
  return "Row" + std::to_string(kFirstChecklistRow + info.param) + "_" + kChecklist[info.param].property;
});

}  // namespace
}  // namespace instala
