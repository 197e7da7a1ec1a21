#pragma once
// Step one of the service process: the initial inspection. The odometer and
// the 21 checklist switches fill `data`; the button keeps the record on the
// device ("dataElements") for step three and goes on to step two with the
// ticket. Loading the screen starts a new process: the preferences of an
// earlier one (except the token) and its photo files are removed, and the
// process gets a new idempotency key.

#include "models/ProcessData.h"
#include "models/Ticket.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewController.h"

#include <optional>

namespace instala {

class StepOneTableViewController : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;

  static constexpr const char* kDataElementsKey = "dataElements";

  std::optional<Ticket> ticket;
  std::optional<ProcessData> data = ProcessData();

  void viewDidLoad() override;
  int numberOfRowsInSection(ui::TableView& tableView, int section) override;
  double heightForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  // "toStep2" hands the ticket to step two.
  void prepareForSegue(ui::StoryboardSegue& segue, ui::Object* sender) override;

  // `data` as a property list under "dataElements"; the key is removed when
  // there is no record or it cannot be encoded.
  void saveInitialData();
  // The button: saveInitialData, then "toStep2". Nothing is validated.
  void next();
};

}  // namespace instala
