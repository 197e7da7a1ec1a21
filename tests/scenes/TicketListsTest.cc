#include "scenes/authentication/LoginViewController.h"
#include "scenes/details/DetailsTableViewController.h"
#include "scenes/tickets/ActivesTableViewController.h"
#include "scenes/tickets/ClosedTableViewController.h"
#include "scenes/tickets/TicketCell.h"

#include "ScreenTest.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using testing::Reply;


constexpr const char* kTwoTickets = R"({"tickets":[
  {"id":1042,"date":"2024-12-01","hour":"09:30","location":"Av. 5 de Febrero 1351, Querétaro",
   "unit":[{"model":"T800","economic_numer":"E-17"},{"model":"Otro","economic_numer":"X-1"}]},
  {"id":1043,"date":"2024-12-05","hour":"16:00","location":"Apodaca, N.L.","unit":[{"model":"Cascadia"}]}]})";

// ---- Both lists, each kind of answer --------------------------------------------------

enum class List { active, closed };

struct ListAnswerCase {
  std::string name;
  List list;
  std::optional<Reply> reply;  // none: nothing listens
  int rows;
  bool alert;
  bool signedOut;
};

void PrintTo(const ListAnswerCase& c, std::ostream* os) { *os << c.name; }

class ListAnswer : public testing::ScreenTest, public ::testing::WithParamInterface<ListAnswerCase> {
 protected:
  std::shared_ptr<TicketListTableViewController> list() const {
    return GetParam().list == List::active
               ? std::static_pointer_cast<TicketListTableViewController>(visible<ActivesTableViewController>())
               : std::static_pointer_cast<TicketListTableViewController>(visible<ClosedTableViewController>());
  }
};

TEST_P(ListAnswer, IsHandledByStatus) {
  const auto& c = GetParam();
  const char* path = c.list == List::active ? kActivePath : kClosedPath;
  setToken("tok");
  // The list that is not under test answers with an empty list.
  answer({{kActivePath, c.list == List::active && c.reply ? *c.reply : Reply::json(200, R"({"tickets":[]})")},
          {kClosedPath, c.list == List::closed && c.reply ? *c.reply : Reply::json(200, R"({"tickets":[]})")}});
  if (!c.reply && c.list == List::active) stopServer();
  launch();
  if (c.list == List::closed) {
    if (!c.reply) stopServer();
    selectTab(1);
  }
  if (c.reply) {
    auto requests = requestsTo(path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer tok");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
    EXPECT_EQ(requests[0].bodyLength, 0u);
  }
  if (c.signedOut) {
    EXPECT_EQ(storedToken(), "");
    EXPECT_FALSE(alert());
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window()->rootViewController()));
    return;
  }
  EXPECT_EQ(storedToken(), "tok");
  auto screen = list();
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->tableView()->numberOfRows(0), c.rows);
  if (c.alert) {
    EXPECT_EQ(alertTitle(), "Error en servidor. Intentarlo nuevamente.");
    EXPECT_EQ(alert()->actions().size(), 1u);
    EXPECT_FALSE(screen->tickets);
  } else {
    EXPECT_FALSE(alert());
  }
}

std::vector<ListAnswerCase> listAnswerCases() {
  std::vector<ListAnswerCase> cases;
  for (List list : {List::active, List::closed}) {
    const std::string prefix = list == List::active ? "Active" : "Closed";
    cases.push_back({prefix + "TwoTickets", list, Reply::json(200, kTwoTickets), 2, false, false});
    cases.push_back({prefix + "EmptyArray", list, Reply::json(200, R"({"tickets":[]})"), 0, false, false});
    cases.push_back({prefix + "NullTickets", list, Reply::json(200, R"({"tickets":null})"), 0, false, false});
    cases.push_back({prefix + "NoTicketsMember", list, Reply::json(200, R"({"otro":1})"), 0, false, false});
    cases.push_back({prefix + "NotAnObject", list, Reply::json(200, "[1,2]"), 0, false, false});
    cases.push_back({prefix + "NotJSON", list, Reply::json(200, "<html>"), 0, false, false});
    cases.push_back({prefix + "Rejected", list, Reply::json(422, R"({"tickets":[{"id":1}]})"), 0, false, true});
    cases.push_back({prefix + "ServerError", list, Reply::json(500, R"({"tickets":[{"id":1}]})"), 0, true, false});
    cases.push_back({prefix + "NoServer", list, std::nullopt, 0, true, false});
    // An answer cut inside its header block is no answer: neither a list nor a sign-out.
    cases.push_back(
        {prefix + "CutHeaderBlock", list, Reply::rawThenClose("HTTP/1.1 200 OK\r\nContent-Ty"), 0, true, false});
    cases.push_back({prefix + "CutHeaderBlockOf422", list,
                     Reply::rawThenClose("HTTP/1.1 422 Unprocessable Entity\r\nContent-Ty"), 0, true, false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Answers, ListAnswer, ::testing::ValuesIn(listAnswerCases()),
                         [](const auto& info) { return info.param.name; });

// ---- Rows and details -----------------------------------------------------------------

class TicketLists : public testing::ScreenTest {
 protected:
  void launchWith(const std::string& active, const std::string& closed = R"({"tickets":[]})") {
    setToken("tok");
    answer({{kActivePath, Reply::json(200, active)}, {kClosedPath, Reply::json(200, closed)}});
    launch();
  }
};

TEST_F(TicketLists, RowsShowNumberShortDateVehiclePlaceAndHour) {
  testing::ScopedEnvironment english({{"LC_ALL", "en_US.UTF-8"}});
  launchWith(R"({"tickets":[
    {"id":1234,"date":"2024-12-01","hour":"09:30","location":"Querétaro",
     "unit":[{"model":"T800","economic_numer":"E-17"},{"model":"B","economic_numer":"2"}]},
    {"date":"2024-12-01 10:30","unit":[{"economic_numer":"E-17"}]},
    {"id":0,"date":"01/12/2024","location":"Apodaca"},
    {"id":7,"unit":[]}]})");
  EXPECT_EQ(screenText(),
            "tabs: [Activos] Cerrados Búsqueda\n"
            "navigation: \"Tickets activos\" right \"Cerrar sesión\"\n"
            "screen: ActivesTableViewController \"Tickets activos\"\n"
            "  section 0: 4 rows\n"
            "    row 0.0 TicketCell (123pt)\n"
            "      idLabel: \"ID: 1234\"\n"
            "      dateLabel: \"Dec 01\"\n"
            "      carLabel: \"T800-E-17\"\n"
            "      locationLabel: \"Querétaro\"\n"
            "      timeLabel: \"09:30\"\n"
            "      viewCard: view #FFFFFF\n"
            "    row 0.1 TicketCell (123pt)\n"
            "      idLabel: \"ID: 0\"\n"
            "      dateLabel: \"2024-12-01 10:30\"\n"
            "      carLabel: \"-E-17\"\n"
            "      locationLabel: \"\"\n"
            "      timeLabel: \"\"\n"
            "      viewCard: view #FFFFFF\n"
            "    row 0.2 TicketCell (123pt)\n"
            "      idLabel: \"ID: 0\"\n"
            "      dateLabel: \"01/12/2024\"\n"
            "      carLabel: \"-\"\n"
            "      locationLabel: \"Apodaca\"\n"
            "      timeLabel: \"\"\n"
            "      viewCard: view #FFFFFF\n"
            "    row 0.3 TicketCell (123pt)\n"
            "      idLabel: \"ID: 7\"\n"
            "      dateLabel: \"\"\n"
            "      carLabel: \"-\"\n"
            "      locationLabel: \"\"\n"
            "      timeLabel: \"\"\n"
            "      viewCard: view #FFFFFF\n"
            "loading: no\n");
}

TEST_F(TicketLists, TheShortDateFollowsTheDeviceLanguage) {
  testing::ScopedEnvironment spanish({{"LC_ALL", "es_MX.UTF-8"}});
  launchWith(R"({"tickets":[{"id":1,"date":"2024-12-01"}]})");
  auto cell = std::dynamic_pointer_cast<TicketCell>(visible<ActivesTableViewController>()->tableView()->cellForRow({0, 0}));
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->dateLabel.lock()->text(), "dic 01");
}

TEST_F(TicketLists, TheRowCardHasTheCardStyle) {
  launchWith(R"({"tickets":[{"id":1}]})");
  auto cell = std::dynamic_pointer_cast<TicketCell>(visible<ActivesTableViewController>()->tableView()->cellForRow({0, 0}));
  ASSERT_TRUE(cell);
  const auto& layer = cell->viewCard.lock()->layer();
  EXPECT_EQ(layer.cornerRadius, 0);
  EXPECT_EQ(layer.shadowOffset, (ui::Size{0.2, 0.2}));
  EXPECT_EQ(layer.shadowRadius, 2);
  EXPECT_EQ(layer.shadowOpacity, 0.2);
}

TEST_F(TicketLists, EachListIsFetchedOncePerScreen) {
  launchWith(kTwoTickets);
  selectTab(1);
  selectTab(0);
  selectTab(1);
  EXPECT_EQ(requestsTo(kActivePath).size(), 1u);
  EXPECT_EQ(requestsTo(kClosedPath).size(), 1u);
}

// Row views scroll out and come back for other tickets: each must clear what its
// new ticket lacks instead of keeping the previous ticket's texts.
TEST_F(TicketLists, ReusedRowsClearWhatTheirTicketLacks) {
  testing::ScopedEnvironment english({{"LC_ALL", "en_US.UTF-8"}});
  struct Shape {
    const char* json;  // "%d" is the ticket number
    std::vector<std::string> labels;  // id, date, car, location, time
  };
  const Shape shapes[] = {
      {R"({"id":%d,"date":"2024-12-01","hour":"09:30","location":"Av. Juárez 2915, Puebla",
           "unit":[{"model":"T800","economic_numer":"E-17"}]})",
       {"ID: %d", "Dec 01", "T800-E-17", "Av. Juárez 2915, Puebla", "09:30"}},
      {R"({"id":%d})", {"ID: %d", "", "-", "", ""}},
      {R"({"id":%d,"date":"2024-03-05","unit":[{"model":"Cascadia"}]})", {"ID: %d", "Mar 05", "Cascadia-", "", ""}},
      {R"({"id":%d,"location":"Apodaca, N.L.","unit":[]})", {"ID: %d", "", "-", "Apodaca, N.L.", ""}},
      {R"({"id":%d,"hour":"16:00","unit":[{"economic_numer":"X-1"}]})", {"ID: %d", "", "-X-1", "", "16:00"}},
  };
  constexpr int kTickets = 30;
  auto numbered = [](std::string text, int number) {
    for (auto at = text.find("%d"); at != std::string::npos; at = text.find("%d")) {
      text.replace(at, 2, std::to_string(number));
    }
    return text;
  };
  std::string list = R"({"tickets":[)";
  for (int i = 0; i < kTickets; ++i) list += (i ? "," : "") + numbered(shapes[i % std::size(shapes)].json, 1000 + i);
  list += "]}";
  launchWith(list, list);
  for (std::size_t tab : {0u, 1u}) {
    selectTab(tab);
    auto screen = tab == 0 ? std::static_pointer_cast<TicketListTableViewController>(visible<ActivesTableViewController>())
                           : std::static_pointer_cast<TicketListTableViewController>(visible<ClosedTableViewController>());
    ASSERT_TRUE(screen);
    auto table = screen->tableView();
    ASSERT_EQ(table->numberOfRows(0), kTickets);
    // Down to the end and back up: row views are recycled in both directions.
    std::vector<int> order;
    for (int i = 0; i < kTickets; ++i) order.push_back(i);
    for (int i = kTickets - 1; i >= 0; --i) order.push_back(i);
    for (int i : order) {
      table->scrollToRow({0, i});
      settle();
      auto cell = std::dynamic_pointer_cast<TicketCell>(table->cellForRow({0, i}));
      ASSERT_TRUE(cell) << i;
      std::vector<std::string> shown;
      for (const auto& label : {cell->idLabel, cell->dateLabel, cell->carLabel, cell->locationLabel, cell->timeLabel}) {
        shown.push_back(label.lock()->text());
      }
      std::vector<std::string> expected;
      for (const auto& text : shapes[i % std::size(shapes)].labels) expected.push_back(numbered(text, 1000 + i));
      EXPECT_EQ(shown, expected) << "row " << i;
    }
    EXPECT_LT(table->createdCellCount(), static_cast<std::size_t>(kTickets));
  }
}

TEST_F(TicketLists, AnActiveTicketOpensItsDetailsWithTheCheckInButton) {
  launchWith(kTwoTickets);
  auto actives = visible<ActivesTableViewController>();
  ASSERT_TRUE(tap(*actives->tableView()->cellForRow({0, 1})));
  waitUntilIdle();
  ASSERT_TRUE(actives->selectedTicket);
  EXPECT_EQ(actives->selectedTicket->id(), 1043);
  auto details = visible<DetailsTableViewController>();
  ASSERT_TRUE(details);
  EXPECT_EQ(details->ticket, actives->selectedTicket);
  EXPECT_EQ(details->isClosed, false);
  ASSERT_TRUE(details->navigationItem().rightBarButtonItem);
  EXPECT_EQ(details->navigationItem().rightBarButtonItem->title(), "Check-in");
  EXPECT_EQ(details->navigationController(), actives->navigationController());
}

TEST_F(TicketLists, AClosedTicketOpensItsDetailsWithoutTheCheckInButton) {
  launchWith(R"({"tickets":[]})", kTwoTickets);
  selectTab(1);
  auto closed = visible<ClosedTableViewController>();
  ASSERT_TRUE(tap(*closed->tableView()->cellForRow({0, 0})));
  waitUntilIdle();
  auto details = visible<DetailsTableViewController>();
  ASSERT_TRUE(details);
  ASSERT_TRUE(details->ticket);
  EXPECT_EQ(details->ticket->id(), 1042);
  EXPECT_EQ(details->isClosed, true);
  EXPECT_FALSE(details->navigationItem().rightBarButtonItem);
}

// ---- Sign-out -------------------------------------------------------------------------

struct SignOutCase {
  std::string name;
  std::optional<Reply> reply;  // none: nothing listens
  bool signedOut;
};

void PrintTo(const SignOutCase& c, std::ostream* os) { *os << c.name; }

class SignOut : public TicketLists, public ::testing::WithParamInterface<SignOutCase> {
 protected:
  void askToSignOut() {
    auto item = visible<ActivesTableViewController>()->navigationItem().rightBarButtonItem;
    ASSERT_TRUE(item);
    item->tap();
    settle();
    auto confirmation = alert();
    ASSERT_TRUE(confirmation);
    EXPECT_EQ(confirmation->title(), "Cerrar sesión");
    EXPECT_EQ(confirmation->message(), "Esta seguro de querer cerrar sesión?");
    ASSERT_EQ(confirmation->actions().size(), 2u);
    EXPECT_EQ(confirmation->actions()[0]->title(), "Cancelar");
    EXPECT_EQ(confirmation->actions()[0]->style(), ui::AlertAction::Style::cancel);
    EXPECT_EQ(confirmation->actions()[1]->title(), "Aceptar");
    EXPECT_EQ(confirmation->preferredAction(), confirmation->actions()[1]);
  }
};

TEST_P(SignOut, ConfirmedSendsTheSignOutWithTheToken) {
  const auto& c = GetParam();
  launchWith(kTwoTickets);
  askToSignOut();
  if (c.reply) {
    answer({{kSignOutPath, *c.reply}});
  } else {
    stopServer();
  }
  answerAlert("Aceptar");
  waitUntilIdle();
  if (c.reply) {
    auto requests = requestsTo(kSignOutPath);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "DELETE");
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer tok");
    EXPECT_EQ(requests[0].bodyLength, 0u);
  }
  if (c.signedOut) {
    EXPECT_EQ(storedToken(), "");
    EXPECT_FALSE(alert());
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window()->rootViewController()));
  } else {
    EXPECT_EQ(storedToken(), "tok");
    EXPECT_EQ(alertTitle(), "Error en servidor. Intentarlo nuevamente.");
    answerAlert("Aceptar");
    auto actives = visible<ActivesTableViewController>();
    ASSERT_TRUE(actives);
    EXPECT_EQ(actives->tableView()->numberOfRows(0), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, SignOut,
                         ::testing::Values(SignOutCase{"Ok", Reply::json(200, R"({"name":"Carlos"})"), true},
                                           SignOutCase{"Rejected", Reply::json(422, "{}"), true},
                                           SignOutCase{"OkNotJSON", Reply::json(200, "adiós"), true},
                                           SignOutCase{"ServerError", Reply::json(500, "{}"), false},
                                           SignOutCase{"NoServer", std::nullopt, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(TicketLists, CancellingTheSignOutSendsNothing) {
  launchWith(kTwoTickets);
  visible<ActivesTableViewController>()->navigationItem().rightBarButtonItem->tap();
  settle();
  answerAlert("Cancelar");
  waitUntilIdle();
  EXPECT_FALSE(alert());
  EXPECT_TRUE(requestsTo(kSignOutPath).empty());
  EXPECT_EQ(storedToken(), "tok");
  EXPECT_TRUE(visible<ActivesTableViewController>());
}

TEST_F(TicketLists, TheSignOutUsesTheTokenReadAtTheTap) {
  launchWith(kTwoTickets);
  visible<ActivesTableViewController>()->navigationItem().rightBarButtonItem->tap();
  settle();
  setToken("otro");
  answer({{kSignOutPath, Reply::json(200, "{}")}});
  answerAlert("Aceptar");
  waitUntilIdle();
  auto requests = requestsTo(kSignOutPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].header("Authorization"), "Bearer tok");
}

}  // namespace
}  // namespace instala
