#include "scenes/details/DetailsTableViewController.h"

#include "common/Identifier.h"
#include "scenes/details/TicketDetailCell.h"
#include "scenes/details/TicketReceiver.h"
#include "ui/Storyboard.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala {
namespace {

Ticket ticketFrom(const char* json) { return Ticket::decode(Json::parse(json)).value(); }

// Stands in for the check-in screen at the end of the check-in button's transition.
class CheckInStandIn : public ui::TableViewController, public TicketReceiver {
 public:
  using Super = ui::TableViewController;
  int received = 0;
  std::optional<Ticket> ticket;
  void receiveTicket(std::optional<Ticket> handed) override {
    ++received;
    ticket = std::move(handed);
  }
};

class DetailsScreen : public testing::ScreenTest {
 protected:
  // The details screen from the storyboard, shown inside a navigation stack like the lists show it.
  std::shared_ptr<DetailsTableViewController> open(std::optional<Ticket> ticket, std::optional<bool> isClosed) {
    auto storyboard = ui::Storyboard::named("Main");
    auto details = std::dynamic_pointer_cast<DetailsTableViewController>(
        storyboard->instantiateViewController("DetailsTableViewController"));
    details->ticket = std::move(ticket);
    details->isClosed = isClosed;
    auto navigation = std::make_shared<ui::NavigationController>();
    navigation->setViewControllers({details}, false);
    shown = std::make_shared<ui::Window>();
    shown->setRootViewController(navigation);
    shown->makeKeyAndVisible();
    settle();
    return details;
  }
  std::shared_ptr<TicketDetailCell> row(DetailsTableViewController& details) {
    return std::dynamic_pointer_cast<TicketDetailCell>(details.tableView()->cellForRow({0, 0}));
  }
  std::shared_ptr<ui::Window> shown;
};

struct BarButtonCase {
  std::string name;
  std::optional<bool> isClosed;
  bool checkIn;
};

void PrintTo(const BarButtonCase& c, std::ostream* os) { *os << c.name; }

class CheckInButton : public DetailsScreen, public ::testing::WithParamInterface<BarButtonCase> {};

TEST_P(CheckInButton, ShowsOnlyForAnActiveTicket) {
  auto details = open(ticketFrom(R"({"id":1})"), GetParam().isClosed);
  const auto& item = details->navigationItem().rightBarButtonItem;
  if (GetParam().checkIn) {
    ASSERT_TRUE(item);
    EXPECT_EQ(item, details->checkInItemButton.lock());
    EXPECT_EQ(item->title(), "Check-in");
  } else {
    EXPECT_FALSE(item);
  }
}

INSTANTIATE_TEST_SUITE_P(IsClosed, CheckInButton,
                         ::testing::Values(BarButtonCase{"False", false, true}, BarButtonCase{"True", true, false},
                                           BarButtonCase{"Unset", std::nullopt, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DetailsScreen, AFullTicketFillsTheFifteenLabels) {
  auto details = open(ticketFrom(R"({
      "id": 1042, "title": "Instalación", "user": "Carlos", "comments": "Patio 3", "hour": "09:30",
      "client": "Transportes Castores", "category": "Instalación", "date": "2024-03-05",
      "location": "Querétaro",
      "unit": [{"id": 501, "economic_numer": "TCB-118", "brand": "Freightliner", "model": "Cascadia",
                "unit_type": "Tractocamión", "license_plate": "48-AK-7B", "color": "Blanco",
                "gps_model": "Teltonika FMC130", "imei": "352094115260181", "iccid": "8952020083016613180"},
               {"economic_numer": "OTRA", "model": "Segunda"}]})"),
                      false);
  EXPECT_EQ(screenText(),
            "navigation: \"Detalles\" right \"Check-in\"\n"
            "screen: DetailsTableViewController \"Detalles\"\n"
            "  section 0: 1 row\n"
            "    row 0.0 TicketDetailCell (502pt)\n"
            "      idLabel: \"ID: 1042\"\n"
            "      categoryLabel: \"Instalación\"\n"
            "      locationLabel: \"Querétaro\"\n"
            "      dateLabel: \"2024-03-05\"\n"
            "      clientLabel: \"Transportes Castores\"\n"
            "      unitLabel: \"Cascadia-TCB-118\"\n"
            "      economicNumberLabel: \"TCB-118\"\n"
            "      brandLabel: \"Freightliner\"\n"
            "      modelLabel: \"Cascadia\"\n"
            "      unitTypeLabel: \"Tractocamión\"\n"
            "      plateLabel: \"48-AK-7B\"\n"
            "      colorLabel: \"Blanco\"\n"
            "      deviceLabel: \"Teltonika FMC130\"\n"
            "      imeiLabel: \"352094115260181\"\n"
            "      iccidLabel: \"8952020083016613180\"\n"
            "loading: no\n");
}

struct FillCase {
  std::string name;
  std::optional<std::string> json;  // none: no ticket
  std::vector<std::string> labels;  // the fifteen texts in outlet order
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class DetailsFill : public DetailsScreen, public ::testing::WithParamInterface<FillCase> {};

TEST_P(DetailsFill, AbsentValuesClearTheirLabels) {
  std::optional<Ticket> ticket;
  if (GetParam().json) ticket = ticketFrom(GetParam().json->c_str());
  auto details = open(ticket, true);
  EXPECT_EQ(details->tableView()->numberOfSections(), 1);
  EXPECT_EQ(details->tableView()->numberOfRows(0), 1);
  auto cell = row(*details);
  ASSERT_TRUE(cell);
  std::vector<std::string> texts;
  for (const auto& outlet : cell->outlets()) {
    if (auto label = std::dynamic_pointer_cast<ui::Label>(outlet.object.lock())) texts.push_back(label->text());
  }
  EXPECT_EQ(texts, GetParam().labels);
}

INSTANTIATE_TEST_SUITE_P(
    Tickets, DetailsFill,
    ::testing::Values(
        FillCase{"NoTicket", std::nullopt, {"ID: 0", "", "", "", "", "-", "", "", "", "", "", "", "", "", ""}},
        FillCase{"NoUnits",
                 R"({"id":1234,"category":"Revisión","location":"Apodaca","date":"mañana","client":"LRN"})",
                 {"ID: 1234", "Revisión", "Apodaca", "mañana", "LRN", "-", "", "", "", "", "", "", "", "", ""}},
        FillCase{"EmptyUnits", R"({"unit":[]})", {"ID: 0", "", "", "", "", "-", "", "", "", "", "", "", "", "", ""}},
        FillCase{"OnlyEconomicNumber", R"({"unit":[{"economic_numer":"E-17"}]})",
                 {"ID: 0", "", "", "", "", "-E-17", "E-17", "", "", "", "", "", "", "", ""}},
        FillCase{"OnlyModel", R"({"unit":[{"model":"T800"}]})",
                 {"ID: 0", "", "", "", "", "T800-", "", "", "T800", "", "", "", "", "", ""}},
        FillCase{"ModelAndEconomicNumber", R"({"unit":[{"model":"T800","economic_numer":"E-17"}]})",
                 {"ID: 0", "", "", "", "", "T800-E-17", "E-17", "", "T800", "", "", "", "", "", ""}}),
    [](const auto& info) { return info.param.name; });

// A long address or client name is not cut: the label wraps in its column (the
// model measures 7 points per character of the 14-point font, 17 points per
// line), its caption stays level with its first line, and the row grows.
TEST_F(DetailsScreen, TheAddressAndTheClientWrapAndTheRowGrows) {
  struct {
    const char* location;
    const char* client;
    int locationLines;
    int clientLines;
  } cases[] = {
      {"Apodaca", "LRN", 1, 1},
      {"Av. Juárez 2915, La Paz, 72160 Puebla, Pue.", "LRN", 2, 1},
      {"Av. Miguel Alemán 5400, Valle de Huinalá, 66634 Apodaca, Nuevo León",
       "Transportes Castores del Bajío S.A. de C.V.", 3, 2},
  };
  double oneLineRow = 0;
  for (const auto& c : cases) {
    Ticket::Fields fields;
    fields.location = c.location;
    fields.client = c.client;
    auto details = open(Ticket(fields), true);
    auto cell = row(*details);
    ASSERT_TRUE(cell);
    const double height = details->tableView()->rectForRow({0, 0}).height();
    if (oneLineRow == 0) oneLineRow = height;
    EXPECT_EQ(height, oneLineRow + 17 * (c.locationLines - 1 + c.clientLines - 1)) << c.location;
    for (auto [label, lines] : {std::pair{cell->locationLabel.lock(), c.locationLines},
                                std::pair{cell->clientLabel.lock(), c.clientLines}}) {
      EXPECT_EQ(label->frame().height(), 17 * lines) << label->text();
      const auto& caption = label->superview()->subviews().front();
      EXPECT_EQ(caption->frame().y(), label->frame().y()) << label->text();
      EXPECT_EQ(caption->frame().height(), 17) << label->text();
    }
  }
}

TEST_F(DetailsScreen, TheRowViewIsFoundByItsIdentifier) {
  EXPECT_EQ(identifier<TicketDetailCell>(), "TicketDetailCell");
  auto details = open(std::nullopt, false);
  EXPECT_EQ(row(*details)->reuseIdentifier(), "TicketDetailCell");
}

TEST_F(DetailsScreen, GoToProcessStartsNothing) {
  auto details = open(ticketFrom(R"({"id":1})"), false);
  auto navigation = details->navigationController();
  EXPECT_TRUE(details->performSelector("goToProcess:", nullptr));
  settle();
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(DetailsScreen, TheCheckInButtonHandsACopyOfTheTicketToTheCheckInScreen) {
  auto& registry = ui::ClassRegistry::shared();
  registry.add<CheckInStandIn>();
  registry.addPlaceholder<CheckInStandIn>("CheckInTableViewController");
  const Ticket ticket = ticketFrom(R"({"id":1042,"date":"2024-03-05","hour":"09:30","unit":[{"model":"T800"}]})");
  auto details = open(ticket, false);
  details->navigationItem().rightBarButtonItem->tap();
  settle();
  auto checkIn = visible<CheckInStandIn>();
  ASSERT_TRUE(checkIn);
  EXPECT_EQ(checkIn->received, 1);
  EXPECT_EQ(checkIn->ticket, ticket);
  EXPECT_EQ(details->navigationController()->viewControllers().size(), 2u);
  EXPECT_EQ(details->ticket, ticket);  // the screen keeps its own copy
}

TEST_F(DetailsScreen, AnEmptyTicketIsHandedOnEmpty) {
  auto& registry = ui::ClassRegistry::shared();
  registry.add<CheckInStandIn>();
  registry.addPlaceholder<CheckInStandIn>("CheckInTableViewController");
  auto details = open(std::nullopt, false);
  details->navigationItem().rightBarButtonItem->tap();
  settle();
  auto checkIn = visible<CheckInStandIn>();
  ASSERT_TRUE(checkIn);
  EXPECT_EQ(checkIn->received, 1);
  EXPECT_FALSE(checkIn->ticket);
}

}  // namespace
}  // namespace instala
