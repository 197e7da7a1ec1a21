#pragma once
// The rows that steps one and three share: progress (0), odometer (1), the 21
// checklist items (2 to 22) and the button (23), each bound to the screen's
// own inspection record (step one's `data`, step three's `finalData`).

#include "common/Identifier.h"
#include "models/ProcessData.h"
#include "scenes/process/ProcessElementCell.h"
#include "scenes/process/ProcessKilometersCell.h"
#include "ui/TableView.h"

#include <memory>
#include <optional>

namespace instala {

inline constexpr int kChecklistScreenRows = 24;
inline constexpr int kStepsRow = 0;
inline constexpr int kKilometersRow = 1;
inline constexpr int kFirstItemRow = 2;
inline constexpr int kChecklistButtonRow = 23;

// ProcessStepsCell, ProcessKilometersCell, ProcessElementCell and CustomButtonCell under their identifiers.
void registerChecklistNibs(ui::TableView& table);
// 100 for the progress row, 44 for the odometer, 52 for an item, 90 for the button.
double checklistRowHeight(int row);

// Item row: the item's title, the switch as the record holds it (absent or no
// record: off), and a switchAction that writes the switch into that item of
// the record. The action holds the screen and the row weakly, and is replaced
// on every call, so a reused row never writes the item it showed before.
template <typename Screen>
std::shared_ptr<ui::TableViewCell> checklistItemCell(Screen& screen, std::optional<ProcessData> Screen::*record,
                                                     ui::TableView& table, ui::IndexPath indexPath) {
  auto cell = std::dynamic_pointer_cast<ProcessElementCell>(
      table.dequeueReusableCell(identifier<ProcessElementCell>(), indexPath));
  const int index = indexPath.row - kFirstItemRow;
  if (!cell || index < 0 || index >= static_cast<int>(kChecklistItemCount)) return std::make_shared<ui::TableViewCell>();
  const auto& held = screen.*record;
  if (auto title = cell->titleLabel.lock()) title->setText(processElementTitles()[static_cast<std::size_t>(index)]);
  if (auto toggle = cell->elementSwitch.lock()) toggle->setOn(held && held->isOn(index));
  std::weak_ptr<Screen> weakScreen = screen.template sharedAs<Screen>();
  std::weak_ptr<ProcessElementCell> weakCell = cell;
  cell->switchAction = [weakScreen, weakCell, record, index] {
    auto owner = weakScreen.lock();
    auto row = weakCell.lock();
    auto toggle = row ? row->elementSwitch.lock() : nullptr;
    if (!owner || !toggle) return;
    auto& target = (*owner).*record;
    if (target) target->setItem(index, toggle->isOn());
  };
  return cell;
}

// Odometer row: the field shows the record's kilometers, and every edit copies
// the field's text into them.
template <typename Screen>
std::shared_ptr<ui::TableViewCell> kilometersCell(Screen& screen, std::optional<ProcessData> Screen::*record,
                                                  ui::TableView& table, ui::IndexPath indexPath) {
  auto cell = std::dynamic_pointer_cast<ProcessKilometersCell>(
      table.dequeueReusableCell(identifier<ProcessKilometersCell>(), indexPath));
  if (!cell) return std::make_shared<ui::TableViewCell>();
  const auto& held = screen.*record;
  if (auto field = cell->customTF.lock(); field && !field->isEditing()) {
    field->setText(held && held->kilometers ? *held->kilometers : std::string());
  }
  std::weak_ptr<Screen> weakScreen = screen.template sharedAs<Screen>();
  cell->textAction = [weakScreen, record](const std::string& text) {
    auto owner = weakScreen.lock();
    if (!owner) return;
    auto& target = (*owner).*record;
    if (target) target->kilometers = text;
  };
  return cell;
}

}  // namespace instala
