#include "ui/TableViewController.h"

#include "ui/Screen.h"

namespace instala::ui {

std::shared_ptr<TableView> TableViewController::tableView() { return std::dynamic_pointer_cast<TableView>(view()); }

void TableViewController::loadView() {
  ViewController::loadView();
  auto table = std::dynamic_pointer_cast<TableView>(viewIfLoaded());
  if (!table) {
    table = std::make_shared<TableView>(Screen::main().bounds());
    setView(table);
  }
  auto self = sharedAs<TableViewController>();
  table->setDataSource(self);
  table->setDelegate(self);
}

std::shared_ptr<TableViewCell> TableViewController::cellForRowAtIndexPath(TableView&, IndexPath) {
  return std::make_shared<TableViewCell>();
}

}  // namespace instala::ui
