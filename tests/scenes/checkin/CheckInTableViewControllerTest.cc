#include "scenes/checkin/CheckInTableViewController.h"

#include "common/CustomButtonCell.h"
#include "scenes/checkin/CheckInCell.h"
#include "scenes/details/DetailsTableViewController.h"
#include "scenes/process/StepOneTableViewController.h"
#include "scenes/ScreenFixture.h"
#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>

namespace instala {
namespace {

using namespace std::chrono_literals;

// Instants from UTC calendar arithmetic, independent of the formatter under test.
platform::TimePoint utc(std::chrono::year_month_day day, platform::Duration sinceMidnight) {
  return std::chrono::sys_days(day) + sinceMidnight;
}

// Answers when the test says so, on the main queue, and remembers what it was asked.
class FakeGeocoder : public Geocoder {
 public:
  void geocodeAddressString(const std::string& address, Completion completion) override {
    addresses.push_back(address);
    pending.push_back(std::move(completion));
  }
  void answer(std::optional<Coordinate> place) {
    auto completion = std::move(pending.front());
    pending.pop_front();
    platform::RunLoop::main().async([completion, place] { completion(place); });
  }
  std::vector<std::string> addresses;
  std::deque<Completion> pending;
};

Ticket ticketAt(std::optional<std::string> date, std::optional<std::string> hour,
                std::optional<std::vector<Unit>> units = std::nullopt) {
  Ticket::Fields fields;
  fields.id = 1042;
  fields.date = std::move(date);
  fields.hour = std::move(hour);
  fields.location = "Av. 5 de Febrero 1351, Querétaro";
  fields.units = std::move(units);
  return Ticket(fields);
}

Unit unitWithModel(std::optional<std::string> model) {
  Unit::Fields fields;
  fields.model = std::move(model);
  return Unit(fields);
}

class CheckInTest : public testing::ScreenFixture {
 protected:
  // The screen for a ticket, with the fake geocoder; "now" is 2024-03-05 12:00:00.
  std::shared_ptr<CheckInTableViewController> open(std::optional<Ticket> ticket) {
    return show<CheckInTableViewController>("CheckInTableViewController", [&](CheckInTableViewController& screen) {
      screen.ticket = ticket;
      screen.geocoder = geocoder;
    });
  }
  std::shared_ptr<CheckInCell> checkInRow(CheckInTableViewController& screen) {
    return row<CheckInCell>(*screen.tableView(), 0);
  }
  std::string clock(CheckInTableViewController& screen) { return checkInRow(screen)->timeLabel.lock()->text(); }
  bool buttonHidden(CheckInTableViewController& screen) {
    auto cell = row<CustomButtonCell>(*screen.tableView(), 1);
    return cell->customButton.lock()->isHidden();
  }

  std::shared_ptr<FakeGeocoder> geocoder = std::make_shared<FakeGeocoder>();
};

struct CountdownCase {
  const char* name;
  const char* date;
  const char* hour;
  std::vector<std::string> ticks;  // the clock after 1, 2, 3 … seconds
  bool buttonShown;
};
void PrintTo(const CountdownCase& c, std::ostream* os) { *os << c.name; }

class Countdown : public CheckInTest, public ::testing::WithParamInterface<CountdownCase> {};

TEST_P(Countdown, TicksEverySecondFromOneSecondAfterTheRowIsShown) {
  const auto& c = GetParam();
  auto screen = open(ticketAt(c.date, c.hour ? std::optional<std::string>(c.hour) : std::nullopt));
  EXPECT_EQ(clock(*screen), "--:--:--");  // the nib's text until the first tick
  for (const auto& expected : c.ticks) {
    advance(1);
    EXPECT_EQ(clock(*screen), expected);
  }
  EXPECT_EQ(buttonHidden(*screen), !c.buttonShown);
}

INSTANTIATE_TEST_SUITE_P(
    CheckIn, Countdown,
    ::testing::Values(CountdownCase{"TwoHoursAhead", "2024-03-05", "14:00", {"1:59:59", "1:59:58", "1:59:57"}, true},
                      CountdownCase{"OneMinuteLate", "2024-03-05", "11:59", {"0:-1:-1", "0:-1:-2"}, false},
                      CountdownCase{"ThreeDaysAhead", "2024-03-08", "12:00", {"71:59:59", "71:59:58"}, true},
                      CountdownCase{"DayAndHoursAhead", "2024-03-06", "14:04", {"26:3:59"}, true},
                      CountdownCase{"ExactlyNowIsNotBefore", "2024-03-05", "12:00", {"0:0:-1"}, true},
                      CountdownCase{"DateInAnotherForm", "05/03/2024", "14:00", {"0:0:0", "0:0:0"}, false},
                      CountdownCase{"HourWithSeconds", "2024-03-05", "14:00:00", {"0:0:0"}, false},
                      CountdownCase{"NoHour", "2024-03-05", nullptr, {"0:0:0"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// CTest runs these tests with TZ=Asia/Kolkata (UTC+05:30).
TEST_F(CheckInTest, TheAppointmentIsReadOnceInTheDeviceTimeZone) {
  EXPECT_EQ(CheckInTableViewController::appointmentInstant(ticketAt("2024-03-05", "14:30")), utc(2024y / 3 / 5, 9h));
  EXPECT_FALSE(CheckInTableViewController::appointmentInstant(std::nullopt));
  EXPECT_FALSE(CheckInTableViewController::appointmentInstant(ticketAt(std::nullopt, "14:30")));
  EXPECT_FALSE(CheckInTableViewController::appointmentInstant(ticketAt("2024-3-5", "14:30")));
  EXPECT_FALSE(CheckInTableViewController::appointmentInstant(ticketAt("2024-03-05", "2:30 PM")));
  auto screen = open(ticketAt("2024-03-05", "14:30"));
  EXPECT_EQ(screen->ticketDate, utc(2024y / 3 / 5, 9h));
}

// Where clocks jump from 00:00 to 01:00, a skipped hour moves forward by the gap.
TEST_F(CheckInTest, AnAppointmentOnADayWhoseMidnightIsSkippedIsRead) {
  struct {
    const char* zone;
    const char* date;
    const char* hour;
    platform::TimePoint expected;
  } cases[] = {
      {"America/Santiago", "2026-09-06", "00:00", utc(2026y / 9 / 6, 4h)},
      {"America/Santiago", "2026-09-06", "00:30", utc(2026y / 9 / 6, 4h + 30min)},
      {"America/Santiago", "2026-09-06", "09:15", utc(2026y / 9 / 6, 12h + 15min)},
      {"America/Sao_Paulo", "2018-11-04", "00:15", utc(2018y / 11 / 4, 3h + 15min)},
      {"Asia/Beirut", "2024-03-31", "00:00", utc(2024y / 3 / 30, 22h)},
      {"Asia/Beirut", "2024-03-31", "09:00", utc(2024y / 3 / 31, 6h)},
  };
  for (const auto& c : cases) {
    testing::ScopedTimeZone device(c.zone);
    EXPECT_EQ(CheckInTableViewController::appointmentInstant(ticketAt(c.date, c.hour)), c.expected)
        << c.zone << " " << c.date << " " << c.hour;
  }
  testing::ScopedTimeZone santiago("America/Santiago");
  ScreenFixture::clock->set(utc(2026y / 9 / 6, 3h));  // 23:00 on the evening before
  auto screen = open(ticketAt("2026-09-06", "00:30"));
  advance(1);
  EXPECT_EQ(clock(*screen), "1:29:59");
  EXPECT_FALSE(buttonHidden(*screen));
}

TEST_F(CheckInTest, ClockTextHasNoLeadingZerosAndSignsWhenLate) {
  const auto now = instant("2024-03-05 12:00:00");
  EXPECT_EQ(CheckInTableViewController::clockText(now, now + std::chrono::seconds(26 * 3600 + 4 * 60 + 9)), "26:4:9");
  EXPECT_EQ(CheckInTableViewController::clockText(now, now - std::chrono::seconds(5 * 60 + 3)), "0:-5:-3");
  EXPECT_EQ(CheckInTableViewController::clockText(now, std::nullopt), "0:0:0");
}

TEST_F(CheckInTest, NoTicketClearsTheLabelsShowsZeroAndHidesTheButton) {
  auto screen = open(std::nullopt);
  auto cell = checkInRow(*screen);
  EXPECT_EQ(cell->locationLabel.lock()->text(), "");
  EXPECT_EQ(cell->scheduleLabel.lock()->text(), "");
  EXPECT_TRUE(geocoder->addresses.empty());
  EXPECT_FALSE(screen->ticketDate);
  advance(1);
  EXPECT_EQ(clock(*screen), "0:0:0");
  EXPECT_TRUE(buttonHidden(*screen));
}

TEST_F(CheckInTest, RowsHeightsAndTexts) {
  auto screen = open(ticketAt("2024-03-05", "14:00"));
  auto table = screen->tableView();
  EXPECT_EQ(table->numberOfSections(), 1);
  EXPECT_EQ(table->numberOfRows(0), 2);
  EXPECT_EQ(screen->heightForRowAtIndexPath(*table, {0, 0}), ui::automaticDimension);
  EXPECT_EQ(screen->heightForRowAtIndexPath(*table, {0, 1}), 90);
  auto cell = checkInRow(*screen);
  EXPECT_EQ(cell->locationLabel.lock()->text(), "Av. 5 de Febrero 1351, Querétaro");
  EXPECT_EQ(cell->scheduleLabel.lock()->text(), "14:00");
  EXPECT_TRUE(cell->timeLabel.lock()->adjustsFontSizeToFitWidth());
  EXPECT_EQ(cell->cardView.lock()->layer().shadowOpacity, 0.2);
  EXPECT_EQ(cell->circleView.lock()->layer().borderWidth, 15);
  EXPECT_EQ(cell->circleView.lock()->layer().cornerRadius, 50);
  EXPECT_FALSE(buttonHidden(*screen));
}

struct PinCase {
  const char* name;
  std::optional<std::vector<Unit>> units;
  const char* title;
};
void PrintTo(const PinCase& c, std::ostream* os) { *os << c.name; }

class Pin : public CheckInTest, public ::testing::WithParamInterface<PinCase> {};

TEST_P(Pin, IsTitledWithTheFirstUnitsModelAndSpans300Metres) {
  auto screen = open(ticketAt("2024-03-05", "14:00", GetParam().units));
  ASSERT_EQ(geocoder->addresses, std::vector<std::string>{"Av. 5 de Febrero 1351, Querétaro"});
  auto map = checkInRow(*screen)->mapView.lock();
  EXPECT_TRUE(map->annotations().empty());
  geocoder->answer(Coordinate{20.6193, -100.4102});
  settle();
  ASSERT_EQ(map->annotations().size(), 1u);
  EXPECT_EQ(map->annotations()[0]->title(), GetParam().title);
  EXPECT_EQ(map->annotations()[0]->coordinate(), (ui::Coordinate{20.6193, -100.4102}));
  EXPECT_EQ(map->region(), ui::CoordinateRegion::withDistance({20.6193, -100.4102}, 300, 300));
}

INSTANTIATE_TEST_SUITE_P(
    CheckIn, Pin,
    ::testing::Values(PinCase{"FirstUnitsModel", std::vector<Unit>{unitWithModel("T800"), unitWithModel("Cascadia")}, "T800"},
                      PinCase{"NoUnits", std::nullopt, "Ubicación"},
                      PinCase{"EmptyUnits", std::vector<Unit>{}, "Ubicación"},
                      PinCase{"UnitWithoutModel", std::vector<Unit>{unitWithModel(std::nullopt)}, "Ubicación"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckInTest, AnAddressTheGeocoderCannotPlaceLeavesTheMapAsItWas) {
  auto screen = open(ticketAt("2024-03-05", "14:00"));
  auto map = checkInRow(*screen)->mapView.lock();
  geocoder->answer(std::nullopt);
  settle();
  EXPECT_TRUE(map->annotations().empty());
  EXPECT_FALSE(map->region());
  EXPECT_EQ(window->topPresentedViewController(), navigation);  // no alert
}

TEST_F(CheckInTest, WithoutAGeocoderTheMapStaysAsLaidOut) {
  auto screen = show<CheckInTableViewController>("CheckInTableViewController", [&](CheckInTableViewController& s) {
    s.ticket = ticketAt("2024-03-05", "14:00");
  });
  EXPECT_EQ(screen->geocoder, nullptr);
  EXPECT_TRUE(checkInRow(*screen)->mapView.lock()->annotations().empty());
}

TEST_F(CheckInTest, TheScreenTakesTheSharedGeocoder) {
  Geocoder::setShared(geocoder);
  auto screen = show<CheckInTableViewController>("CheckInTableViewController", [&](CheckInTableViewController& s) {
    s.ticket = ticketAt("2024-03-05", "14:00");
  });
  EXPECT_EQ(screen->geocoder, geocoder);
  EXPECT_EQ(geocoder->addresses.size(), 1u);
}

TEST_F(CheckInTest, ConfiguringTheRowAgainReplacesTheOneClockTimer) {
  auto& loop = platform::RunLoop::main();
  const auto before = loop.activeTimerCount();
  auto screen = open(ticketAt("2024-03-05", "14:00"));
  EXPECT_EQ(loop.activeTimerCount(), before + 1);
  auto first = screen->timer;
  ASSERT_NE(first, nullptr);
  screen->tableView()->reloadData();
  settle();
  EXPECT_EQ(loop.activeTimerCount(), before + 1);
  EXPECT_FALSE(first->isValid());
  EXPECT_TRUE(screen->timer->isValid());
  advance(1);
  EXPECT_EQ(clock(*screen), "1:59:59");
}

TEST_F(CheckInTest, TheClockStopsWhenTheScreenGoesAndRunsAgainWhenItComesBack) {
  auto& loop = platform::RunLoop::main();
  const auto before = loop.activeTimerCount();
  auto screen = open(ticketAt("2024-03-05", "14:00"));
  EXPECT_TRUE(tap(*row<CustomButtonCell>(*screen->tableView(), 1)->customButton.lock()));
  ASSERT_NE(std::dynamic_pointer_cast<StepOneTableViewController>(topScreen()), nullptr);
  EXPECT_EQ(screen->timer, nullptr);
  EXPECT_EQ(loop.activeTimerCount(), before);

  navigation->popViewController(false);
  settle();
  EXPECT_NE(screen->timer, nullptr);
  advance(2);
  EXPECT_EQ(clock(*screen), "1:59:58");

  std::weak_ptr<CheckInTableViewController> weak = screen;
  screen.reset();
  window->setRootViewController(nullptr);
  navigation.reset();
  settle();
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(loop.activeTimerCount(), before);
}

TEST_F(CheckInTest, TheButtonHandsTheSameTicketToStepOne) {
  const auto ticket = ticketAt("2024-03-05", "14:00", std::vector<Unit>{unitWithModel("T800")});
  auto screen = open(ticket);
  EXPECT_TRUE(tap(*row<CustomButtonCell>(*screen->tableView(), 1)->customButton.lock()));
  auto step = std::dynamic_pointer_cast<StepOneTableViewController>(topScreen());
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->ticket, ticket);
}

TEST_F(CheckInTest, TheDetailsScreensCheckInButtonHandsTheTicketOver) {
  const auto ticket = ticketAt("2024-03-05", "14:00", std::vector<Unit>{unitWithModel("T800")});
  auto details = show<DetailsTableViewController>("DetailsTableViewController", [&](DetailsTableViewController& s) {
    s.ticket = ticket;
    s.isClosed = false;
  });
  auto checkIn = details->navigationItem().rightBarButtonItem;
  ASSERT_NE(checkIn, nullptr);
  checkIn->tap();
  settle();
  auto screen = std::dynamic_pointer_cast<CheckInTableViewController>(topScreen());
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->ticket, ticket);
  EXPECT_EQ(screen->ticketDate, utc(2024y / 3 / 5, 8h + 30min));
}

TEST_F(CheckInTest, TheConsolePrintsTheClockTheAddressAndThePin) {
  auto screen = open(ticketAt("2024-03-05", "14:00", std::vector<Unit>{unitWithModel("T800")}));
  geocoder->answer(Coordinate{20.6193, -100.4102});
  advance(1);
  const std::string text = printed();
  EXPECT_NE(text.find("screen: CheckInTableViewController \"Check-in\""), std::string::npos) << text;
  EXPECT_NE(text.find("timeLabel: \"1:59:59\""), std::string::npos) << text;
  EXPECT_NE(text.find("scheduleLabel: \"14:00\""), std::string::npos) << text;
  EXPECT_NE(text.find("mapView: map pin \"T800\" 20.61930,-100.41020 region 20.61930,-100.41020"), std::string::npos)
      << text;
  EXPECT_NE(text.find("customButton: button \"Continuar\"\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace instala
