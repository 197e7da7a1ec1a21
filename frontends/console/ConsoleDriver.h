#pragma once
// Line commands over the running application (see README.md, "The console
// front end"): show the screen, tap, type, select rows, flip switches, answer
// alerts, switch tabs, go back, answer the camera, scroll, rotate, wait for
// pending work, advance a manual clock, quit.

#include "platform/Clock.h"
#include "ui/Window.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace instala::console {

class ConsoleDriver {
 public:
  // clock: the main run loop's manual clock, when the console runs on one.
  explicit ConsoleDriver(std::ostream& out, std::shared_ptr<platform::ManualClock> clock = nullptr);

  // Runs one command line. False after "quit".
  bool execute(const std::string& line);
  // Reads and runs commands until "quit" or the end of the input.
  void run(std::istream& in);

  // Runs the work queued on the main loop and refreshes the window.
  void settle();

  // Extra work that "wait" waits for besides the loading overlay (requests in flight).
  void setPendingWork(std::function<bool()> pending) { pendingWork_ = std::move(pending); }

  static std::vector<std::string> tokenize(const std::string& line);

 private:
  std::shared_ptr<ui::Window> window() const;
  void fail(const std::string& message);

  std::ostream& out_;
  std::shared_ptr<platform::ManualClock> clock_;
  std::function<bool()> pendingWork_;
};

}  // namespace instala::console
