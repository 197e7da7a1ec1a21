#include "scenes/checkin/CheckInTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/Identifier.h"
#include "platform/DateFormatter.h"
#include "scenes/checkin/CheckInCell.h"
#include "scenes/process/StepOneTableViewController.h"
#include "ui/Nib.h"

#include <chrono>

namespace instala {
namespace {

constexpr int kCheckInRow = 0;
constexpr int kButtonRow = 1;

platform::TimePoint now() { return platform::RunLoop::main().clock().now(); }

}  // namespace

CheckInTableViewController::CheckInTableViewController() : geocoder(Geocoder::shared()) {}

CheckInTableViewController::~CheckInTableViewController() { stopClock(); }

std::optional<platform::TimePoint> CheckInTableViewController::appointmentInstant(const std::optional<Ticket>& ticket) {
  const std::string date = ticket && ticket->date() ? *ticket->date() : std::string();
  const std::string hour = ticket && ticket->hour() ? *ticket->hour() : std::string();
  const platform::DateFormatter formatter("yyyy-MM-dd HH:mm:ss");
  return formatter.parse(date + " " + hour + ":00");
}

std::string CheckInTableViewController::clockText(platform::TimePoint current,
                                                  std::optional<platform::TimePoint> appointment) {
  if (!appointment) return "0:0:0";
  const auto difference = platform::calendarDifference(current, *appointment);
  return std::to_string(difference.hours) + ":" + std::to_string(difference.minutes) + ":" +
         std::to_string(difference.seconds);
}

std::string CheckInTableViewController::pinTitle(const std::optional<Ticket>& ticket) {
  const Unit* unit = ticket ? ticket->firstUnit() : nullptr;
  return unit && unit->model() ? *unit->model() : std::string(kDefaultPinTitle);
}

void CheckInTableViewController::viewDidLoad() {
  Super::viewDidLoad();
  auto table = tableView();
  for (const auto& name : {identifier<CheckInCell>(), identifier<CustomButtonCell>()}) {
    table->registerNib(ui::Nib::named(name), name);
  }
  ticketDate = appointmentInstant(ticket);
}

void CheckInTableViewController::viewWillAppear(bool animated) {
  Super::viewWillAppear(animated);
  if (timer || !isViewLoaded()) return;
  // Back from step one: the row is on screen already, only its clock stopped.
  auto table = tableView();
  if (auto cell = std::dynamic_pointer_cast<CheckInCell>(table->cellForRow({0, kCheckInRow}))) startClock(cell);
}

void CheckInTableViewController::viewDidDisappear(bool animated) {
  Super::viewDidDisappear(animated);
  stopClock();
}

int CheckInTableViewController::numberOfRowsInSection(ui::TableView&, int) { return 2; }

double CheckInTableViewController::heightForRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) {
  return indexPath.row == kCheckInRow ? ui::automaticDimension : 90;
}

std::shared_ptr<ui::TableViewCell> CheckInTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                   ui::IndexPath indexPath) {
  if (indexPath.row == kCheckInRow) {
    auto cell =
        std::dynamic_pointer_cast<CheckInCell>(tableView.dequeueReusableCell(identifier<CheckInCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    startClock(cell);
    if (auto label = cell->locationLabel.lock()) label->setText(ticket && ticket->location() ? *ticket->location() : "");
    if (auto label = cell->scheduleLabel.lock()) label->setText(ticket && ticket->hour() ? *ticket->hour() : "");
    if (ticket && ticket->location()) placeOnMap(cell);
    if (auto label = cell->timeLabel.lock()) label->setAdjustsFontSizeToFitWidth(true);
    return cell;
  }
  if (indexPath.row == kButtonRow) {
    auto cell = std::dynamic_pointer_cast<CustomButtonCell>(
        tableView.dequeueReusableCell(identifier<CustomButtonCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    // An appointment exactly now still counts as ahead.
    if (auto button = cell->customButton.lock()) button->setHidden(!ticketDate || *ticketDate < now());
    std::weak_ptr<CheckInTableViewController> weakSelf = sharedAs<CheckInTableViewController>();
    cell->buttonAction = [weakSelf] {
      if (auto self = weakSelf.lock()) self->performSegue("toStep1", nullptr);
    };
    return cell;
  }
  return std::make_shared<ui::TableViewCell>();
}

void CheckInTableViewController::prepareForSegue(ui::StoryboardSegue& segue, ui::Object*) {
  if (segue.identifier() != "toStep1") return;
  if (auto step = std::dynamic_pointer_cast<StepOneTableViewController>(segue.destinationViewController())) {
    step->ticket = ticket;
  }
}

void CheckInTableViewController::startClock(const std::shared_ptr<CheckInCell>& cell) {
  stopClock();
  std::weak_ptr<CheckInCell> weakCell = cell;
  const auto appointment = ticketDate;
  timer = platform::RunLoop::main().scheduleTimer(std::chrono::seconds(1), /*repeats=*/true,
                                                  [weakCell, appointment](platform::Timer&) {
                                                    auto row = weakCell.lock();
                                                    auto label = row ? row->timeLabel.lock() : nullptr;
                                                    if (label) label->setText(clockText(now(), appointment));
                                                  });
}

void CheckInTableViewController::stopClock() {
  if (timer) timer->invalidate();
  timer.reset();
}

void CheckInTableViewController::placeOnMap(const std::shared_ptr<CheckInCell>& cell) {
  if (!geocoder) return;
  std::weak_ptr<ui::MapView> weakMap = cell->mapView;
  const std::string title = pinTitle(ticket);
  geocoder->geocodeAddressString(*ticket->location(), [weakMap, title](std::optional<Coordinate> place) {
    auto map = place ? weakMap.lock() : nullptr;
    if (!map) return;
    const ui::Coordinate coordinate{place->latitude, place->longitude};
    auto annotation = std::make_shared<ui::PointAnnotation>();
    annotation->setTitle(title);
    annotation->setCoordinate(coordinate);
    map->addAnnotation(annotation);
    map->setRegion(ui::CoordinateRegion::withDistance(coordinate, kMapSpanMeters, kMapSpanMeters), /*animated=*/false);
  });
}

}  // namespace instala
