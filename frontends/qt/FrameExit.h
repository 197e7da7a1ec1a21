#pragma once
// Ends the program once a frame showing what was asked for has been drawn,
// for measuring start-up: either the window's first frame with the model's
// first screen in it, or the first frame in which a given screen (its class
// name) is on display, settled: no request under way (the loading overlay is
// gone) and no alert open. Before quitting it prints one line to the
// standard output,
//   frame drawn: SCREEN [rows N]
// naming the screen on top and, for a table, the rows it holds.

#include <QObject>

#include <optional>
#include <string>

namespace instala::desktop {

class MainWindow;

class FrameExit : public QObject {
 public:
  // No screen: the first frame. The window must outlive this object.
  FrameExit(MainWindow& window, std::optional<std::string> screen);
  ~FrameExit() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the line says about the model's window as it is now.
  static std::string describeScreen();
  void modelSynced();

  MainWindow& window_;
  std::optional<std::string> screen_;
  // The widgets hold the wanted picture; the next paint puts it on screen.
  bool wanted_ = false;
  std::string drawn_;  // what the line will say about that picture
  bool quitting_ = false;
};

}  // namespace instala::desktop
