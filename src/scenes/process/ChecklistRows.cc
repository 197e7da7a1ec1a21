#include "scenes/process/ChecklistRows.h"

#include "common/CustomButtonCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "ui/Nib.h"

namespace instala {

void registerChecklistNibs(ui::TableView& table) {
  for (const auto& name : {identifier<ProcessStepsCell>(), identifier<ProcessKilometersCell>(),
                           identifier<ProcessElementCell>(), identifier<CustomButtonCell>()}) {
    table.registerNib(ui::Nib::named(name), name);
  }
}

double checklistRowHeight(int row) {
  if (row == kStepsRow) return 100;
  if (row == kKilometersRow) return 44;
  if (row == kChecklistButtonRow) return 90;
  return 52;
}

}  // namespace instala
