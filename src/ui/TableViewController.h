#pragma once
// A screen whose view is a table, and which is that table's data source and delegate.

#include "ui/TableView.h"
#include "ui/ViewController.h"

namespace instala::ui {

class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
 public:
  using Super = ViewController;

  // The screen's view as a table.
  std::shared_ptr<TableView> tableView();

  void loadView() override;
  int numberOfRowsInSection(TableView&, int) override { return 0; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath) override;
};

}  // namespace instala::ui
