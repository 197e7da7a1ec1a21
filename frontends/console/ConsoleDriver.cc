#include "console/ConsoleDriver.h"

#include "common/LoadingActivity.h"
#include "console/ScreenPrinter.h"
#include "platform/RunLoop.h"
#include "ui/AlertController.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ImagePickerController.h"
#include "ui/NavigationController.h"
#include "ui/SafariViewController.h"
#include "ui/Screen.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"
#include "ui/TableView.h"
#include "ui/TableViewCell.h"
#include "ui/TextField.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>

namespace instala::console {
namespace {

constexpr const char* helpText =
    "commands:\n"
    "  show                      print the screen\n"
    "  tap [S.R] NAME            tap a button, field or bar button (outlet name or title)\n"
    "  select S.R                tap a table row\n"
    "  type [S.R] NAME TEXT      tap a text field and type TEXT key by key\n"
    "  delete [S.R] NAME [N]     delete N characters (1) at the end of a text field\n"
    "  flip [S.R] NAME           flip a switch\n"
    "  answer BUTTON             tap an alert button (title or 0-based index)\n"
    "  tab TAB                   choose a tab (title or 0-based index)\n"
    "  back                      close the browser or camera, else go back\n"
    "  photo FILE | video FILE   answer the open camera with a JPEG photo or a video file\n"
    "  cancel                    close the open camera\n"
    "  scroll S.R | top | bottom scroll the table\n"
    "  rotate portrait|landscape rotate the device\n"
    "  wait [SECONDS]            run pending work until idle (default 30 s)\n"
    "  advance SECONDS           move the manual clock (--manual-clock)\n"
    "  quit\n";

std::optional<ui::IndexPath> parseIndexPath(const std::string& text) {
  auto dot = text.find('.');
  if (dot == std::string::npos) return std::nullopt;
  ui::IndexPath path;
  auto first = std::from_chars(text.data(), text.data() + dot, path.section);
  auto second = std::from_chars(text.data() + dot + 1, text.data() + text.size(), path.row);
  if (first.ec != std::errc() || first.ptr != text.data() + dot || second.ec != std::errc() ||
      second.ptr != text.data() + text.size() || path.section < 0 || path.row < 0) {
    return std::nullopt;
  }
  return path;
}

std::optional<double> parseNumber(const std::string& text) {
  double value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

template <typename T>
std::shared_ptr<T> lastVisible(const ui::Window& window) {
  std::shared_ptr<T> found;
  for (const auto& controller : window.visibleViewControllers()) {
    if (auto typed = std::dynamic_pointer_cast<T>(controller)) found = typed;
  }
  return found;
}

// The screen the user works with: the last visible one that is neither a
// container nor an alert, camera or browser.
std::shared_ptr<ui::ViewController> currentScreen(const ui::Window& window) {
  std::shared_ptr<ui::ViewController> screen;
  for (const auto& controller : window.visibleViewControllers()) {
    if (ScreenPrinter::isContainer(*controller) || dynamic_cast<ui::AlertController*>(controller.get()) ||
        dynamic_cast<ui::ImagePickerController*>(controller.get()) ||
        dynamic_cast<ui::SafariViewController*>(controller.get())) {
      continue;
    }
    screen = controller;
  }
  return screen;
}

// Something that a name can designate: a view or a bar button.
struct Target {
  std::shared_ptr<ui::View> view;
  std::shared_ptr<ui::BarButtonItem> item;
  std::string where;
};

void collectIn(const ui::Object& owner, const ui::View& root, const std::string& name, const std::string& where,
               std::vector<Target>& found) {
  for (const auto& record : owner.outlets()) {
    if (record.name != name) continue;
    auto object = record.object.lock();
    if (auto view = std::dynamic_pointer_cast<ui::View>(object)) found.push_back({view, nullptr, where});
    if (auto item = std::dynamic_pointer_cast<ui::BarButtonItem>(object)) found.push_back({nullptr, item, where});
  }
  std::function<void(const ui::View&)> buttons = [&](const ui::View& view) {
    // Row views are searched on their own, with their row named.
    if (&view != &root && dynamic_cast<const ui::TableViewCell*>(&view)) return;
    if (auto* button = dynamic_cast<const ui::Button*>(&view)) {
      if (button->currentTitle() == name && !view.isHiddenInHierarchy()) {
        auto shared = std::const_pointer_cast<ui::View>(view.sharedAs<ui::View>());
        bool known = false;
        for (const auto& target : found) known = known || target.view == shared;
        if (!known) found.push_back({shared, nullptr, where});
      }
    }
    for (const auto& subview : view.subviews()) buttons(*subview);
  };
  buttons(root);
}

}  // namespace

ConsoleDriver::ConsoleDriver(std::ostream& out, std::shared_ptr<platform::ManualClock> clock)
    : out_(out), clock_(std::move(clock)) {}

std::shared_ptr<ui::Window> ConsoleDriver::window() const { return ui::Application::shared().keyWindow(); }

void ConsoleDriver::fail(const std::string& message) { out_ << "error: " << message << "\n"; }

std::vector<std::string> ConsoleDriver::tokenize(const std::string& line) {
  std::vector<std::string> tokens;
  std::string current;
  bool inToken = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\\' && i + 1 < line.size()) {
        const char next = line[++i];
        current += next == 'n' ? '\n' : next;
      } else if (c == '"') {
        quoted = false;
      } else {
        current += c;
      }
    } else if (c == '"') {
      quoted = true;
      inToken = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inToken) tokens.push_back(current);
      current.clear();
      inToken = false;
    } else {
      current += c;
      inToken = true;
    }
  }
  if (inToken) tokens.push_back(current);
  return tokens;
}

void ConsoleDriver::settle() {
  auto& loop = platform::RunLoop::main();
  // Refreshing the window may queue work (appearance, loads); run until both are quiet.
  for (int round = 0; round < 100; ++round) {
    loop.runUntilIdle();
    if (auto window = this->window()) window->update();
    if (!loop.hasPendingTasks()) return;
  }
}

void ConsoleDriver::run(std::istream& in) {
  std::string line;
  while (std::getline(in, line)) {
    if (!execute(line)) return;
  }
}

bool ConsoleDriver::execute(const std::string& line) {
  auto tokens = tokenize(line);
  if (tokens.empty() || tokens[0].starts_with("#")) return true;
  const std::string command = tokens[0];
  std::vector<std::string> args(tokens.begin() + 1, tokens.end());
  if (command == "quit" || command == "exit") return false;
  if (command == "help") {
    out_ << helpText;
    return true;
  }
  auto window = this->window();
  if (!window) {
    fail("the application has no window");
    return true;
  }
  settle();

  // A name, optionally inside the row view at S.R: the targets it designates.
  auto resolve = [&](std::vector<std::string>& words, std::string& error) -> std::optional<Target> {
    auto screen = currentScreen(*window);
    if (!screen) {
      error = "no screen to act on";
      return std::nullopt;
    }
    std::optional<ui::IndexPath> row;
    if (!words.empty()) row = parseIndexPath(words[0]);
    if (row) words.erase(words.begin());
    if (words.empty()) {
      error = "which one? name an outlet or a title";
      return std::nullopt;
    }
    const std::string name = words[0];
    words.erase(words.begin());
    std::vector<Target> found;
    auto table = std::dynamic_pointer_cast<ui::TableView>(screen->viewIfLoaded());
    if (row) {
      if (!table || row->row >= table->numberOfRows(row->section)) {
        error = "no row " + std::to_string(row->section) + "." + std::to_string(row->row);
        return std::nullopt;
      }
      table->scrollToRow(*row);
      auto cell = table->cellForRow(*row);
      if (cell) collectIn(*cell, *cell, name, "row", found);
    } else {
      for (const auto& item : {screen->navigationItem().rightBarButtonItem, screen->navigationItem().leftBarButtonItem}) {
        if (item && item->title() == name) found.push_back({nullptr, item, "navigation bar"});
      }
      if (auto view = screen->viewIfLoaded()) collectIn(*screen, *view, name, "screen", found);
      if (table) {
        for (const auto& path : table->indexPathsForVisibleRows()) {
          if (auto cell = table->cellForRow(path)) {
            collectIn(*cell, *cell, name, "row " + std::to_string(path.section) + "." + std::to_string(path.row),
                      found);
          }
        }
      }
    }
    if (found.empty()) {
      error = "nothing named \"" + name + "\" on the screen";
      return std::nullopt;
    }
    if (found.size() > 1) {
      error = "\"" + name + "\" is ambiguous (";
      for (std::size_t i = 0; i < found.size(); ++i) error += (i ? ", " : "") + found[i].where;
      error += "); name the row as S.R";
      return std::nullopt;
    }
    return found[0];
  };
  auto blocked = [&]() -> std::optional<std::string> {
    if (LoadingActivity::isShown()) return "the loading overlay covers the screen (wait)";
    if (lastVisible<ui::AlertController>(*window)) return "an alert is open (answer it)";
    return std::nullopt;
  };

  std::string error;
  if (command == "show") {
    out_ << ScreenPrinter::print(*window);
  } else if (command == "tap" || command == "flip") {
    auto target = resolve(args, error);
    if (!target) {
      fail(error);
    } else if (target->item) {
      if (auto reason = blocked()) {
        fail(*reason);
      } else {
        target->item->tap();
      }
    } else if (command == "flip" && !std::dynamic_pointer_cast<ui::Switch>(target->view)) {
      fail("that is not a switch");
    } else if (!window->sendTap(*target->view)) {
      fail(target->view->isHiddenInHierarchy() ? "that is hidden" : blocked().value_or("that cannot be tapped"));
    }
  } else if (command == "select") {
    auto screen = currentScreen(*window);
    auto table = screen ? std::dynamic_pointer_cast<ui::TableView>(screen->viewIfLoaded()) : nullptr;
    auto path = args.size() == 1 ? parseIndexPath(args[0]) : std::nullopt;
    if (!table) {
      fail("the screen has no table");
    } else if (!path || path->row >= table->numberOfRows(path->section)) {
      fail("select takes a row S.R of the table");
    } else {
      table->scrollToRow(*path);
      auto cell = table->cellForRow(*path);
      if (!cell || !window->sendTap(*cell)) fail(blocked().value_or("the row cannot be tapped"));
    }
  } else if (command == "type" || command == "delete") {
    auto target = resolve(args, error);
    auto field = target ? std::dynamic_pointer_cast<ui::TextField>(target->view) : nullptr;
    if (!target) {
      fail(error);
    } else if (!field) {
      fail("that is not a text field");
    } else if (!field->isEditing() && (!window->sendTap(*field) || !field->isEditing())) {
      fail(blocked().value_or("the field does not take input"));
    } else if (command == "type") {
      std::string text;
      for (std::size_t i = 0; i < args.size(); ++i) text += (i ? " " : "") + args[i];
      field->typeText(text);
    } else {
      auto count = args.empty() ? std::optional<double>(1) : parseNumber(args[0]);
      if (!count || *count < 0) {
        fail("delete takes a count");
      } else {
        for (int i = 0; i < static_cast<int>(*count); ++i) field->deleteBackward();
      }
    }
  } else if (command == "answer") {
    auto alert = lastVisible<ui::AlertController>(*window);
    if (!alert || args.size() != 1) {
      fail(alert ? "answer takes a button title or index" : "no alert is open");
    } else {
      std::optional<std::size_t> index;
      for (std::size_t i = 0; i < alert->actions().size(); ++i) {
        if (alert->actions()[i]->title() == args[0]) index = i;
      }
      if (!index) {
        if (auto number = parseNumber(args[0]); number && *number >= 0) index = static_cast<std::size_t>(*number);
      }
      if (!index || !alert->tapAction(*index)) fail("the alert has no button " + args[0]);
    }
  } else if (command == "tab") {
    auto tabs = lastVisible<ui::TabBarController>(*window);
    std::optional<std::size_t> index;
    if (tabs && args.size() == 1) {
      for (std::size_t i = 0; i < tabs->viewControllers().size(); ++i) {
        if (tabs->viewControllers()[i]->tabBarItem().title == args[0]) index = i;
      }
      if (auto number = parseNumber(args[0]); !index && number && *number >= 0) {
        index = static_cast<std::size_t>(*number);
      }
    }
    if (!tabs) {
      fail("no tab bar on the screen");
    } else if (auto reason = blocked()) {
      fail(*reason);
    } else if (!index || *index >= tabs->viewControllers().size()) {
      fail("no such tab");
    } else {
      tabs->setSelectedIndex(*index);
    }
  } else if (command == "back") {
    auto top = window->topPresentedViewController();
    if (auto browser = std::dynamic_pointer_cast<ui::SafariViewController>(top)) {
      browser->done();
    } else if (auto camera = std::dynamic_pointer_cast<ui::ImagePickerController>(top)) {
      camera->cancel();
    } else if (auto reason = blocked()) {
      fail(*reason);
    } else {
      auto screen = currentScreen(*window);
      auto* navigation = screen ? screen->navigationController() : nullptr;
      if (!navigation || !navigation->backButtonTitle()) {
        fail("there is no back button");
      } else {
        navigation->popViewController(true);
      }
    }
  } else if (command == "photo" || command == "video" || command == "cancel") {
    auto camera = std::dynamic_pointer_cast<ui::ImagePickerController>(window->topPresentedViewController());
    if (!camera) {
      fail("no camera is open");
    } else if (command == "cancel") {
      camera->cancel();
    } else if (args.size() != 1) {
      fail(command + " takes a file");
    } else if (command == "photo") {
      std::error_code ec;
      const bool isFile = std::filesystem::is_regular_file(args[0], ec);
      auto image = isFile ? ui::Image::withContentsOfFile(args[0]) : std::nullopt;
      if (!camera->acceptsMediaType(ui::mediaTypeImage)) {
        fail("the camera records video");
      } else if (!isFile) {
        fail(args[0] + " is not a file");
      } else if (!image) {
        fail(args[0] + " is not a JPEG photo");
      } else {
        camera->finishPicking({std::nullopt, image});
      }
    } else {
      std::error_code ec;
      auto path = std::filesystem::absolute(args[0], ec);
      if (!camera->acceptsMediaType(ui::mediaTypeMovie)) {
        fail("the camera takes photos");
      } else if (ec || !std::filesystem::is_regular_file(path, ec)) {
        fail(args[0] + " is not a file");
      } else {
        camera->finishPicking({path, std::nullopt});
      }
    }
  } else if (command == "scroll") {
    auto screen = currentScreen(*window);
    auto table = screen ? std::dynamic_pointer_cast<ui::TableView>(screen->viewIfLoaded()) : nullptr;
    auto path = args.size() == 1 ? parseIndexPath(args[0]) : std::nullopt;
    if (!table) {
      fail("the screen has no table");
    } else if (args.size() == 1 && args[0] == "top") {
      table->setContentOffset(0);
    } else if (args.size() == 1 && args[0] == "bottom") {
      table->setContentOffset(table->contentHeight());
    } else if (!path || path->row >= table->numberOfRows(path->section)) {
      fail("scroll takes top, bottom or a row S.R");
    } else {
      table->scrollToRow(*path);
    }
  } else if (command == "rotate") {
    if (args.size() == 1 && args[0] == "portrait") {
      ui::Screen::main().setOrientation(ui::Orientation::portrait);
    } else if (args.size() == 1 && args[0] == "landscape") {
      ui::Screen::main().setOrientation(ui::Orientation::landscape);
    } else {
      fail("rotate portrait or rotate landscape");
    }
  } else if (command == "wait") {
    auto seconds = args.empty() ? std::optional<double>(30) : parseNumber(args[0]);
    if (!seconds || *seconds < 0) {
      fail("wait takes a number of seconds");
    } else {
      auto& loop = platform::RunLoop::main();
      const auto deadline = std::chrono::steady_clock::now() +
                            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double>(*seconds));
      for (;;) {
        settle();
        const bool busy = LoadingActivity::isShown() || loop.hasPendingTasks() || (pendingWork_ && pendingWork_());
        if (!busy) break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
          fail("still busy after " + std::to_string(static_cast<int>(*seconds)) + " s");
          break;
        }
        const std::chrono::steady_clock::duration slice = std::chrono::milliseconds(100);
        loop.waitForWork(std::chrono::duration_cast<platform::Duration>(std::min(deadline - now, slice)));
      }
    }
  } else if (command == "advance") {
    auto seconds = args.size() == 1 ? parseNumber(args[0]) : std::nullopt;
    if (!clock_) {
      fail("the clock is the system's; start with --manual-clock");
    } else if (!seconds || *seconds < 0) {
      fail("advance takes a number of seconds");
    } else {
      // One second at a time, so a repeating timer ticks once per second passed.
      double left = *seconds;
      while (left > 0) {
        const double step = std::min(1.0, left);
        clock_->advance(std::chrono::duration_cast<platform::Duration>(std::chrono::duration<double>(step)));
        settle();
        left -= step;
      }
    }
  } else {
    fail("unknown command \"" + command + "\" (help lists them)");
  }
  settle();
  return true;
}

}  // namespace instala::console
