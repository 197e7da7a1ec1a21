#pragma once
// The check-in screen: where and when the service is due. Row 0 shows the
// address and hour, the address on a map and a clock counting to the
// appointment every second; row 1 offers step one ("toStep1") while the
// appointment lies ahead. No request goes to the server; the address is placed
// by the geocoder.

#include "models/Ticket.h"
#include "networking/Geocoder.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "scenes/details/TicketReceiver.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace instala {

class CheckInCell;

class CheckInTableViewController : public ui::TableViewController, public TicketReceiver {
 public:
  using Super = ui::TableViewController;

  static constexpr const char* kDefaultPinTitle = "Ubicación";
  static constexpr double kMapSpanMeters = 300;

  CheckInTableViewController();
  // Stops the clock.
  ~CheckInTableViewController() override;

  std::optional<Ticket> ticket;
  // The clock's repeating timer; one at a time.
  std::shared_ptr<platform::Timer> timer;
  // The appointment, fixed when the view loads; none when it cannot be read.
  std::optional<platform::TimePoint> ticketDate;
  // Places the address on the map; the application's shared one unless set.
  std::shared_ptr<Geocoder> geocoder;

  // The details screen hands the ticket over here while its transition is prepared.
  void receiveTicket(std::optional<Ticket> handed) override { ticket = std::move(handed); }

  void viewDidLoad() override;
  // The clock runs only while the screen is on display.
  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  int numberOfRowsInSection(ui::TableView& tableView, int section) override;
  double heightForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  // "toStep1" hands the ticket to step one.
  void prepareForSegue(ui::StoryboardSegue& segue, ui::Object* sender) override;

  // date + " " + hour + ":00" read as "yyyy-MM-dd HH:mm:ss" in the device's
  // time zone and locale; none when a part is missing or the text has another form.
  static std::optional<platform::TimePoint> appointmentInstant(const std::optional<Ticket>& ticket);
  // Hours, minutes and seconds from now to the appointment ("26:4:9",
  // "0:-5:-3"); "0:0:0" without an appointment.
  static std::string clockText(platform::TimePoint now, std::optional<platform::TimePoint> appointment);
  // The first unit's model, else "Ubicación".
  static std::string pinTitle(const std::optional<Ticket>& ticket);

 private:
  // Replaces the clock timer by one ticking every second into the row's time label.
  void startClock(const std::shared_ptr<CheckInCell>& cell);
  void stopClock();
  void placeOnMap(const std::shared_ptr<CheckInCell>& cell);
};

}  // namespace instala
