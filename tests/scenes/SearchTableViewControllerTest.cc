#include "scenes/tickets/SearchTableViewController.h"

#include "common/CustomButtonCell.h"
#include "scenes/details/DocumentCell.h"
#include "scenes/tickets/SearchTextFieldCell.h"
#include "ui/SafariViewController.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using testing::Reply;


class SearchScreen : public testing::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    setToken("tok");
    answer({{"/api/v1/tickets/active", Reply::json(200, R"({"tickets":[]})")}});
    launch();
    selectTab(2);
    search = visible<SearchTableViewController>();
    ASSERT_TRUE(search);
  }

  std::shared_ptr<UnderlineTextField> field() const {
    auto cell = std::dynamic_pointer_cast<SearchTextFieldCell>(search->tableView()->cellForRow({0, 0}));
    return cell ? cell->searchTextField.lock() : nullptr;
  }
  void startEditing() {
    auto searchField = field();
    ASSERT_TRUE(searchField);
    if (!searchField->isEditing()) {
      ASSERT_TRUE(tap(*searchField));
    }
  }
  void typeText(const std::string& text) {
    startEditing();
    field()->typeText(text);
  }
  void tapSearch() {
    auto cell = std::dynamic_pointer_cast<CustomButtonCell>(search->tableView()->cellForRow({0, 1}));
    ASSERT_TRUE(cell);
    ASSERT_TRUE(tap(*cell->customButton.lock()));
    waitUntilIdle();
  }
  std::shared_ptr<DocumentCell> result(int row) {
    search->tableView()->scrollToRow({1, row});
    settle();
    return std::dynamic_pointer_cast<DocumentCell>(search->tableView()->cellForRow({1, row}));
  }
  int results() const { return search->tableView()->numberOfRows(1); }

  std::shared_ptr<SearchTableViewController> search;
};

TEST_F(SearchScreen, ShowsTheFieldAndTheButtonUnderTheirHeaders) {
  EXPECT_EQ(screenText(),
            "tabs: Activos Cerrados [Búsqueda]\n"
            "navigation: \"Búsqueda\"\n"
            "screen: SearchTableViewController \"Búsqueda\"\n"
            "  section 0: 2 rows\n"
            "    header \"Detalles de la Documentación\" \"\"\n"
            "    row 0.0 SearchTextFieldCell (44pt)\n"
            "      searchTextField: field \"\" placeholder \"Texto a buscar\"\n"
            "      cardView: view #FFFFFF\n"
            "    row 0.1 CustomButtonCell (90pt)\n"
            "      customButton: button \"Buscar\"\n"
            "  section 1: 0 rows\n"
            "    header \"Resultados\" \"\"\n"
            "loading: no\n");
  auto table = search->tableView();
  EXPECT_EQ(table->rectForHeaderInSection(0).height(), 40);
  EXPECT_EQ(table->rectForHeaderInSection(1).height(), 40);
  EXPECT_EQ(field()->tag(), 0);
  EXPECT_EQ(field()->delegate(), std::static_pointer_cast<ui::TextFieldDelegate>(search));
}

TEST_F(SearchScreen, TappingSearchBeforeTypingSendsAnEmptySearch) {
  answer({{kSearchPath, Reply::json(200, R"({"message":"ok"})")}});
  EXPECT_FALSE(search->searchText);
  tapSearch();
  auto requests = requestsTo(kSearchPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/api/v1/documents/search?text=");
  EXPECT_EQ(requests[0].header("Authorization"), "Bearer tok");
  EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
  EXPECT_FALSE(alert());
}

// ---- The kept search text -------------------------------------------------------------

struct EditCase {
  std::string name;
  std::function<void(ui::TextField&)> edit;
  std::string expected;
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class SearchTextEdits : public SearchScreen, public ::testing::WithParamInterface<EditCase> {};

TEST_P(SearchTextEdits, KeepTheTextTheEditLeavesTrimmed) {
  startEditing();
  GetParam().edit(*field());
  ASSERT_TRUE(search->searchText);
  EXPECT_EQ(*search->searchText, GetParam().expected);
  EXPECT_TRUE(server.requests().empty() || requestsTo(kSearchPath).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SearchTextEdits,
    ::testing::Values(
        EditCase{"BlanksAround", [](ui::TextField& f) { f.typeText("  abc "); }, "abc"},
        EditCase{"DeleteLastLetter",
                 [](ui::TextField& f) {
                   f.typeText("abc");
                   f.deleteBackward();
                 },
                 "ab"},
        EditCase{"ReplaceASelection",
                 [](ui::TextField& f) {
                   f.typeText("manual gps");
                   f.replaceText({0, 6}, "guía");
                 },
                 "guía gps"},
        EditCase{"TabsAndNoBreakSpaces", [](ui::TextField& f) { f.insertText("\t\u00A0orden\u2003\t"); }, "orden"},
        EditCase{"LineBreaksStay", [](ui::TextField& f) { f.insertText(" \norden\n "); }, "\norden\n"},
        EditCase{"OnlyBlanks", [](ui::TextField& f) { f.typeText("   "); }, ""}),
    [](const auto& info) { return info.param.name; });

TEST_F(SearchScreen, TheKeptTextIsSearchedEncodedAndTheFieldIsNotReadAgain) {
  answer({{kSearchPath, Reply::json(200, R"({"message":"ok"})")}});
  typeText("  orden 5/6 ");
  field()->setText("cambiado desde el código");  // not an edit: the kept text stays
  tapSearch();
  auto requests = requestsTo(kSearchPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/api/v1/documents/search?text=orden%205%2F6");
}

// ---- Answers --------------------------------------------------------------------------

TEST_F(SearchScreen, AMessageOnlyAnswerGivesNoResultsAndNoAlert) {
  answer({{kSearchPath, Reply::json(200, R"({"message":"Sin resultados"})")}});
  tapSearch();
  EXPECT_FALSE(alert());
  ASSERT_TRUE(search->documents);
  EXPECT_EQ(results(), 0);
}

TEST_F(SearchScreen, EveryMemberButTheMessageIsAResultRow) {
  answer({{kSearchPath, Reply::json(200, R"({"message":"ok","b":"/docs/tickets/42/manual.pdf","a":"corto.pdf"})")}});
  tapSearch();
  ASSERT_EQ(results(), 2);
  EXPECT_EQ(result(0)->documentNameLabel.lock()->text(), "manual.pdf");
  EXPECT_EQ(result(1)->documentNameLabel.lock()->text(), "corto.pdf");
}

TEST_F(SearchScreen, AnUndecodableAnswerEmptiesTheResultsWithoutAlert) {
  answer({{kSearchPath, Reply::json(200, R"({"a":"/docs/a/b/uno.pdf"})")}});
  tapSearch();
  ASSERT_EQ(results(), 1);
  answer({{kSearchPath, Reply::json(200, R"({"message":"ok","a":"/docs/a.pdf","n":5})")}});
  tapSearch();
  EXPECT_FALSE(alert());
  EXPECT_FALSE(search->documents);
  EXPECT_EQ(results(), 0);
}

struct FailureCase {
  std::string name;
  std::optional<Reply> reply;  // none: nothing listens
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class SearchFailure : public SearchScreen, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SearchFailure, RaisesTheAlertAndKeepsTheEarlierResults) {
  answer({{kSearchPath, Reply::json(200, R"({"a":"/docs/a/b/uno.pdf"})")}});
  tapSearch();
  ASSERT_EQ(results(), 1);
  if (GetParam().reply) {
    answer({{kSearchPath, *GetParam().reply}});
  } else {
    stopServer();
  }
  tapSearch();
  EXPECT_EQ(alertTitle(), "Error de servidor. Intentar nuevamente.");
  ASSERT_EQ(alert()->actions().size(), 1u);
  answerAlert("Aceptar");
  EXPECT_EQ(storedToken(), "tok");
  EXPECT_TRUE(visible<SearchTableViewController>());
  ASSERT_EQ(results(), 1);
  EXPECT_EQ(result(0)->documentNameLabel.lock()->text(), "uno.pdf");
}

INSTANTIATE_TEST_SUITE_P(Answers, SearchFailure,
                         ::testing::Values(FailureCase{"Rejected", Reply::json(422, R"({"message":"token"})")},
                                           FailureCase{"ServerError", Reply::json(500, "{}")},
                                           FailureCase{"NotFound", Reply::json(404, R"({"a":"/b"})")},
                                           FailureCase{"NoServer", std::nullopt}),
                         [](const auto& info) { return info.param.name; });

// ---- Opening documents ----------------------------------------------------------------

TEST_F(SearchScreen, TheOpenButtonPresentsTheBrowserOverTheTabbedScreen) {
  answer({{kSearchPath, Reply::json(200, R"({"a":"/docs/tickets/42/manual.pdf"})")}});
  tapSearch();
  auto cell = result(0);
  ASSERT_TRUE(cell);
  ASSERT_TRUE(tap(*cell->downloadButton.lock()));
  auto root = window()->rootViewController();
  auto browser = std::dynamic_pointer_cast<ui::SafariViewController>(root->presentedViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->url(), std::string(kDocumentBaseURL) + "/docs/tickets/42/manual.pdf");
  EXPECT_EQ(browser->presentingViewController(), root.get());
  browser->done();
  settle();
  EXPECT_FALSE(root->presentedViewController());
}

TEST_F(SearchScreen, TappingAResultRowOutsideItsButtonOpensNothing) {
  answer({{kSearchPath, Reply::json(200, R"({"a":"/docs/tickets/42/manual.pdf"})")}});
  tapSearch();
  ASSERT_TRUE(tap(*result(0)->documentNameLabel.lock()));
  EXPECT_FALSE(window()->rootViewController()->presentedViewController());
}

TEST_F(SearchScreen, AnAddressThatIsNoURLOpensNothing) {
  answer({{kSearchPath, Reply::json(200, R"({"a":"/docs/tickets/42/manual de uso.pdf"})")}});
  tapSearch();
  ASSERT_TRUE(tap(*result(0)->downloadButton.lock()));
  EXPECT_FALSE(window()->rootViewController()->presentedViewController());
}

TEST_F(SearchScreen, ManyResultsScrollAndReusedRowsOpenTheirOwnDocument) {
  std::string body = "{";
  for (int i = 0; i < 30; ++i) body += (i ? "," : "") + ("\"d" + std::to_string(i) + "\":\"/docs/x/y/" + std::to_string(i) + ".pdf\"");
  answer({{kSearchPath, Reply::json(200, body + "}")}});
  tapSearch();
  ASSERT_EQ(results(), 30);
  auto cell = result(29);
  EXPECT_EQ(cell->documentNameLabel.lock()->text(), "29.pdf");
  EXPECT_LT(search->tableView()->createdCellCount(), 30u);  // rows were reused on the way down
  ASSERT_TRUE(tap(*cell->downloadButton.lock()));
  auto browser =
      std::dynamic_pointer_cast<ui::SafariViewController>(window()->rootViewController()->presentedViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->url(), std::string(kDocumentBaseURL) + "/docs/x/y/29.pdf");
}

}  // namespace
}  // namespace instala
