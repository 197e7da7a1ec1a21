// instala-console: the application headless, driven by line commands on the
// standard input; the screen is printed as text (README.md).

#include "app/Launch.h"
#include "console/ConsoleDriver.h"
#include "networking/Session.h"
#include "platform/RunLoop.h"

#include <iostream>
#include <memory>

int main(int argc, char** argv) {
  using namespace instala;
  auto options = parseLaunchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::cerr << "instala-console: " << options.error().message << "\n";
    return 2;
  }
  std::shared_ptr<platform::ManualClock> clock;
  for (const auto& argument : options->remaining) {
    if (argument == "--manual-clock") {
      clock = std::make_shared<platform::ManualClock>();
      platform::RunLoop::main().setClock(clock);
    } else {
      std::cerr << "instala-console: unknown option " << argument
                << "\nusage: instala-console [--bundle DIR] [--data DIR] [--manual-clock] < commands\n";
      return 2;
    }
  }
  auto delegate = launchApplication(options.value());
  if (!delegate) {
    std::cerr << "instala-console: " << delegate.error().message << "\n";
    return 1;
  }
  console::ConsoleDriver driver(std::cout, clock);
  // "wait" also waits for exchanges without the loading overlay (the submission, the map's geocoding)
  // and for the outbox's work (entries written, re-sends).
  driver.setPendingWork([outbox = delegate.value()->outbox()] {
    return Session::shared().hasWorkInFlight() || (outbox && outbox->isBusy());
  });
  driver.settle();
  driver.run(std::cin);
  return 0;
}
