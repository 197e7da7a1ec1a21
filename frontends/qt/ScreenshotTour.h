#pragma once
// `instala --screenshot-tour DIR`: walks the whole flow in the window against
// the demo server, as a user would (clicks, typing, scrolling, the tabs and
// bar buttons), and writes one PNG per screen: the login screen empty and with
// its validation alert, the active and closed lists, a search with results, a
// ticket's details, the check-in, the three process steps and the alert of a
// failed submission (the demo server refuses the first one when started with
// --fail-submissions 1). The camera answers with a photo drawn for the tour.
// Meant for the offscreen platform; the result is 0 when every screen was
// written, or the first N with `--screens N`.

#include <QImage>
#include <QString>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace instala::ui {
class View;
}

namespace instala::desktop {

class MainWindow;

class ScreenshotTour {
 public:
  // With a screen limit the tour ends, successfully, once that many screens are written.
  ScreenshotTour(MainWindow& window, std::filesystem::path directory, std::size_t screenLimit = 0);

  int run();
  // The names of the PNG files written, in order.
  const std::vector<std::string>& written() const { return written_; }
  // The photo the camera takes during the tour.
  static QImage samplePhoto(int number);

 private:
  bool walk();
  bool fail(const std::string& what);
  bool shoot(const std::string& name);

  // Runs the event loop until the condition holds; false after the time-out.
  bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000);
  // No request running, no queued model work, no dissolve playing; then a short pause for motions.
  bool settle();
  void pause(int ms);

  std::vector<std::shared_ptr<ui::View>> visibleViews() const;
  std::shared_ptr<ui::View> find(const std::function<bool(ui::View&)>& matches) const;
  std::shared_ptr<ui::View> findOfClass(const std::string& className, std::size_t index = 0) const;
  std::shared_ptr<ui::View> buttonTitled(const std::string& title) const;
  std::shared_ptr<ui::View> outletIn(const std::shared_ptr<ui::View>& owner, const std::string& outlet) const;

  bool click(const std::shared_ptr<ui::View>& view);
  bool type(const std::shared_ptr<ui::View>& field, const QString& text);
  // Types the odometer reading and switches the given rows of the checklist on screen.
  bool fillChecklist(const QString& kilometers, std::initializer_list<std::size_t> rowsSwitchedOn);
  bool scrollToEnd();
  bool selectTab(int index);
  bool tapBarButton(const QString& title);
  bool answerAlert(const QString& button);
  bool alertShown() const;

  MainWindow& window_;
  std::filesystem::path directory_;
  std::vector<std::string> written_;
  std::size_t screenLimit_ = 0;
  bool limitReached_ = false;
  int photos_ = 0;
};

}  // namespace instala::desktop
