#include "scenes/tickets/SearchTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/HeaderView.h"
#include "common/Identifier.h"
#include "common/KeyboardDismissal.h"
#include "common/ShowAlert.h"
#include "networking/ServerAPI.h"
#include "platform/Preferences.h"
#include "platform/TextRules.h"
#include "scenes/details/DocumentCell.h"
#include "scenes/tickets/SearchTextFieldCell.h"
#include "ui/Nib.h"

#include <algorithm>

namespace instala {

void SearchTableViewController::viewDidLoad() {
  ui::TableViewController::viewDidLoad();
  auto table = tableView();
  for (const std::string& name :
       {identifier<SearchTextFieldCell>(), identifier<DocumentCell>(), identifier<CustomButtonCell>()}) {
    table->registerNib(ui::Nib::named(name), name);
  }
  hideKeyboardWhenTappedAround(*this);
}

int SearchTableViewController::numberOfRowsInSection(ui::TableView&, int section) {
  if (section == kFieldsSection) return 2;
  return documents ? static_cast<int>(documents->documents().size()) : 0;
}

double SearchTableViewController::heightForRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) {
  if (indexPath.section == kFieldsSection) return indexPath.row == 0 ? 44 : 90;
  return 117;
}

std::shared_ptr<ui::View> SearchTableViewController::viewForHeaderInSection(ui::TableView&, int section) {
  return headerView(section == kFieldsSection ? kFieldsTitle : kResultsTitle, "");
}

std::shared_ptr<ui::TableViewCell> SearchTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                    ui::IndexPath indexPath) {
  if (indexPath.section == kFieldsSection && indexPath.row == 0) {
    auto cell = std::dynamic_pointer_cast<SearchTextFieldCell>(
        tableView.dequeueReusableCell(identifier<SearchTextFieldCell>(), indexPath));
    auto field = cell ? cell->searchTextField.lock() : nullptr;
    if (!field) return std::make_shared<ui::TableViewCell>();
    field->setTag(indexPath.row);
    field->setDelegate(sharedAs<SearchTableViewController>());
    return cell;
  }
  if (indexPath.section == kFieldsSection) {
    auto cell = std::dynamic_pointer_cast<CustomButtonCell>(
        tableView.dequeueReusableCell(identifier<CustomButtonCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    if (auto button = cell->customButton.lock()) button->setTitle("Buscar", ui::ControlState::normal);
    // The row belongs to this screen's table: a weak capture avoids a cycle through it.
    std::weak_ptr<SearchTableViewController> weakSelf = sharedAs<SearchTableViewController>();
    cell->buttonAction = [weakSelf] {
      if (auto self = weakSelf.lock()) self->search();
    };
    return cell;
  }
  auto cell =
      std::dynamic_pointer_cast<DocumentCell>(tableView.dequeueReusableCell(identifier<DocumentCell>(), indexPath));
  if (!cell) return std::make_shared<ui::TableViewCell>();
  std::string document;
  if (documents && indexPath.row >= 0 && static_cast<std::size_t>(indexPath.row) < documents->documents().size()) {
    document = documents->documents()[static_cast<std::size_t>(indexPath.row)].value_or("");
  }
  cell->fill(document);
  return cell;
}

bool SearchTableViewController::shouldChangeCharactersInRange(ui::TextField& textField, ui::TextRange range,
                                                              const std::string& replacement) {
  std::string text = textField.text();
  const std::size_t location = std::min(range.location, text.size());
  const std::size_t length = std::min(range.length, text.size() - location);
  text.replace(location, length, replacement);
  searchText = platform::trimSpacesAndTabs(text);
  return true;
}

void SearchTableViewController::search() {
  const std::string token = platform::Preferences::standard().stringForKey("token").value_or("");
  std::weak_ptr<SearchTableViewController> weakSelf = sharedAs<SearchTableViewController>();
  ServerAPI().search(token, searchText.value_or(""),
                     [weakSelf](std::optional<RequestError>, std::optional<Documents> answer, std::optional<int> status) {
                       if (auto self = weakSelf.lock()) self->searchDidComplete(std::move(answer), status);
                     });
}

void SearchTableViewController::searchDidComplete(std::optional<Documents> answer, std::optional<int> status) {
  if (status != 200) {
    showAlert(*this, kServerErrorTitle, std::nullopt, std::nullopt, "Aceptar");
    return;
  }
  documents = std::move(answer);
  tableView()->reloadData();
}

}  // namespace instala
