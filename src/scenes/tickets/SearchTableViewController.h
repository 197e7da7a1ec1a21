#pragma once
// The search tab. Section 0 holds the search field and the "Buscar" button,
// section 1 the documents of the last successful search. The field's text is
// kept (trimmed) on every edit; the button searches for the kept text.

#include "models/Documents.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewController.h"
#include "ui/TextField.h"

#include <optional>
#include <string>

namespace instala {

class SearchTableViewController : public ui::TableViewController, public ui::TextFieldDelegate {
 public:
  using Super = ui::TableViewController;

  static constexpr const char* kServerErrorTitle = "Error de servidor. Intentar nuevamente.";
  static constexpr const char* kFieldsTitle = "Detalles de la Documentación";
  static constexpr const char* kResultsTitle = "Resultados";
  static constexpr int kFieldsSection = 0;
  static constexpr int kResultsSection = 1;

  // The last search answer that arrived with status 200.
  std::optional<Documents> documents;
  // The field's text after the last edit, without Unicode space separators and tabs at both ends.
  std::optional<std::string> searchText;

  void viewDidLoad() override;

  int numberOfSectionsInTableView(ui::TableView&) override { return 2; }
  int numberOfRowsInSection(ui::TableView&, int section) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  double heightForRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) override;
  double heightForHeaderInSection(ui::TableView&, int) override { return 40; }
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView&, int section) override;

  // Keeps searchText up to date with the text the edit leaves; never sends anything.
  bool shouldChangeCharactersInRange(ui::TextField& textField, ui::TextRange range,
                                     const std::string& replacement) override;

  // Sends the search for searchText (the empty text when absent).
  void search();

 private:
  void searchDidComplete(std::optional<Documents> answer, std::optional<int> status);
};

}  // namespace instala
