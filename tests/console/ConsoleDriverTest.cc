#include "console/ConsoleDriver.h"

#include "common/LoadingActivity.h"
#include "common/ShowAlert.h"
#include "platform/Image.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/ImagePickerController.h"
#include "ui/Label.h"
#include "ui/NavigationController.h"
#include "ui/Nib.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"
#include "ui/TableViewController.h"
#include "ui/TextField.h"

#include "support/TempDir.h"
#include "support/UiTest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace instala::console {
namespace {

struct TokenCase {
  const char* line;
  std::vector<std::string> tokens;
};
void PrintTo(const TokenCase& c, std::ostream* out) { *out << c.line; }

class TokenizeTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizeTest, SplitsOnBlanksAndKeepsQuotedText) {
  EXPECT_EQ(ConsoleDriver::tokenize(GetParam().line), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(Lines, TokenizeTest,
                         ::testing::Values(TokenCase{"show", {"show"}}, TokenCase{"  tap   loginButton ", {"tap", "loginButton"}},
                                           TokenCase{"tap \"Cerrar sesión\"", {"tap", "Cerrar sesión"}},
                                           TokenCase{"type f \"  abc \"", {"type", "f", "  abc "}},
                                           TokenCase{"type f \"a\\\"b\"", {"type", "f", "a\"b"}},
                                           TokenCase{"type f \"\"", {"type", "f", ""}}, TokenCase{"", {}}));

class RowCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;
  std::weak_ptr<ui::Switch> rowSwitch;
  std::weak_ptr<ui::TextField> rowField;
  static void describe(ui::ClassDescription<RowCell>& d) {
    d.outlet("rowSwitch", &RowCell::rowSwitch).outlet("rowField", &RowCell::rowField);
  }
};

class RowsScreen : public ui::TableViewController, public ui::TextFieldDelegate, public ui::ImagePickerControllerDelegate {
 public:
  using Super = ui::TableViewController;
  std::vector<ui::IndexPath> selected;
  std::vector<bool> switches = std::vector<bool>(30, false);
  std::vector<std::string> edits;
  std::optional<ui::ImagePickerMediaInfo> picked;

  void viewDidLoad() override {
    tableView()->registerNib(ui::Nib::fromJSON("RowCell", nlohmann::json::parse(R"({ "class": "RowCell", "height": 50,
        "view": { "layout": "hstack", "children": [ { "type": "TextField", "outlet": "rowField" },
                                                     { "type": "Switch", "outlet": "rowSwitch" },
                                                     { "type": "Button", "title": "Ver", "width": 40 } ] } })"))
                                 .value(),
                             "RowCell");
  }
  int numberOfRowsInSection(ui::TableView&, int) override { return 30; }
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& table, ui::IndexPath path) override {
    auto cell = std::dynamic_pointer_cast<RowCell>(table.dequeueReusableCell("RowCell", path));
    cell->rowSwitch.lock()->setOn(switches[static_cast<std::size_t>(path.row)]);
    cell->rowField.lock()->setDelegate(std::dynamic_pointer_cast<ui::TextFieldDelegate>(shared_from_this()));
    return cell;
  }
  void didSelectRowAtIndexPath(ui::TableView&, ui::IndexPath path) override { selected.push_back(path); }
  bool shouldChangeCharactersInRange(ui::TextField&, ui::TextRange range, const std::string& text) override {
    edits.push_back(std::to_string(range.location) + "+" + std::to_string(range.length) + "=" + text);
    return true;
  }
  void imagePickerControllerDidFinishPickingMedia(ui::ImagePickerController& picker,
                                                  const ui::ImagePickerMediaInfo& info) override {
    picked = info;
    picker.dismiss(true);
  }
};

class ConsoleDriverTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ui::ClassRegistry::shared().add<RowCell>();
    screen->setTitle("Filas");
    navigation = std::make_shared<ui::NavigationController>(first);
    first->setTitle("Inicio");
    navigation->tabBarItem().title = "Uno";
    auto other = std::make_shared<ui::ViewController>();
    other->tabBarItem().title = "Dos";
    tabs->setViewControllers({navigation, other});
    show(tabs);
    navigation->pushViewController(screen, false);
    settle();
  }
  std::string run(const std::string& line) {
    out.str("");
    driver.execute(line);
    return out.str();
  }
  std::shared_ptr<RowsScreen> screen = std::make_shared<RowsScreen>();
  std::shared_ptr<ui::ViewController> first = std::make_shared<ui::ViewController>();
  std::shared_ptr<ui::NavigationController> navigation;
  std::shared_ptr<ui::TabBarController> tabs = std::make_shared<ui::TabBarController>();
  std::ostringstream out;
  ConsoleDriver driver{out};
};

TEST_F(ConsoleDriverTest, FlipAndSelectReachRowsOffScreenByScrollingThere) {
  EXPECT_EQ(run("flip 0.25 rowSwitch"), "");
  auto table = screen->tableView();
  auto cell = std::dynamic_pointer_cast<RowCell>(table->cellForRow({0, 25}));
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(cell->rowSwitch.lock()->isOn());
  EXPECT_EQ(run("select 0.2"), "");
  EXPECT_EQ(screen->selected, std::vector<ui::IndexPath>{(ui::IndexPath{0, 2})});
  EXPECT_EQ(run("select 0.30"), "error: select takes a row S.R of the table\n");
}

TEST_F(ConsoleDriverTest, AmbiguousNamesAskForTheRow) {
  EXPECT_EQ(run("tap Ver").substr(0, 31), "error: \"Ver\" is ambiguous (row ");
  EXPECT_EQ(run("tap 0.3 Ver"), "");
  EXPECT_EQ(run("tap Nada"), "error: nothing named \"Nada\" on the screen\n");
  EXPECT_EQ(run("flip 0.3 Ver"), "error: that is not a switch\n");
}

TEST_F(ConsoleDriverTest, TypeTapsTheFieldAndTypesKeyByKeyThroughTheDelegate) {
  EXPECT_EQ(run("type 0.1 rowField \"a b\""), "");
  auto cell = std::dynamic_pointer_cast<RowCell>(screen->tableView()->cellForRow({0, 1}));
  EXPECT_EQ(cell->rowField.lock()->text(), "a b");
  EXPECT_TRUE(cell->rowField.lock()->isEditing());
  EXPECT_EQ(screen->edits, (std::vector<std::string>{"0+0=a", "1+0= ", "2+0=b"}));
  EXPECT_EQ(run("delete 0.1 rowField 2"), "");
  EXPECT_EQ(cell->rowField.lock()->text(), "a");
}

TEST_F(ConsoleDriverTest, BackAndTabMoveBetweenScreens) {
  EXPECT_EQ(run("tab Dos"), "");
  EXPECT_EQ(tabs->selectedIndex(), 1u);
  EXPECT_EQ(run("tab 0"), "");
  EXPECT_EQ(run("back"), "");
  EXPECT_EQ(navigation->topViewController(), first);
  EXPECT_EQ(run("back"), "error: there is no back button\n");
  EXPECT_EQ(run("tab Tres"), "error: no such tab\n");
}

TEST_F(ConsoleDriverTest, AnswerTapsAnAlertButtonAndAnOpenAlertBlocksOtherInput) {
  std::string answered;
  showAlert(*screen, "¿Seguro?", std::nullopt, std::nullopt, "Aceptar",
            [&](ui::AlertAction& a) { answered = a.title(); }, "Cancelar", nullptr);
  EXPECT_EQ(run("select 0.1"), "error: an alert is open (answer it)\n");
  EXPECT_EQ(run("answer Nope"), "error: the alert has no button Nope\n");
  EXPECT_EQ(run("answer Aceptar"), "");
  EXPECT_EQ(answered, "Aceptar");
  EXPECT_EQ(run("answer 0"), "error: no alert is open\n");
}

TEST_F(ConsoleDriverTest, TheCameraTakesAJPEGPhotoOrAVideoFileByItsMediaType) {
  testing::TempDir dir;
  auto jpeg = platform::Image::fromRGB(1, 1, {10, 20, 30})->encodeJPEG(0.9);
  std::ofstream(dir / "photo.jpg", std::ios::binary).write(reinterpret_cast<const char*>(jpeg->data()),
                                                          static_cast<std::streamsize>(jpeg->size()));
  dir.write("clip.mp4", "not really a movie");
  auto camera = std::make_shared<ui::ImagePickerController>();
  camera->setDelegate(screen);
  screen->present(camera, true);
  EXPECT_EQ(run("video " + (dir / "clip.mp4").string()), "error: the camera takes photos\n");
  EXPECT_EQ(run("photo " + (dir / "clip.mp4").string()), "error: " + (dir / "clip.mp4").string() + " is not a JPEG photo\n");
  // Anything but a file is refused before it is read: a folder, a FIFO that would never end, a missing file.
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const auto& path : {dir.path(), dir / "fifo", dir / "missing.jpg"}) {
    EXPECT_EQ(run("photo " + path.string()), "error: " + path.string() + " is not a file\n");
  }
  EXPECT_FALSE(screen->picked);
  EXPECT_EQ(run("photo " + (dir / "photo.jpg").string()), "");
  ASSERT_TRUE(screen->picked);
  EXPECT_EQ(screen->picked->originalImage->size(), (ui::Size{1, 1}));
  EXPECT_EQ(run("photo " + (dir / "photo.jpg").string()), "error: no camera is open\n");
  camera->setMediaTypes({ui::mediaTypeMovie});
  screen->present(camera, true);
  EXPECT_EQ(run("video " + (dir / "clip.mp4").string()), "");
  EXPECT_EQ(screen->picked->mediaURL, dir / "clip.mp4");
}

TEST_F(ConsoleDriverTest, WaitRunsPendingWorkUntilTheOverlayIsGone) {
  LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor, LoadingActivity::indicatorColor);
  EXPECT_EQ(run("select 0.1"), "error: the loading overlay covers the screen (wait)\n");
  EXPECT_EQ(run("wait 0"), "error: still busy after 0 s\n");
  platform::RunLoop::main().async([] { LoadingActivity::stop(); });
  EXPECT_EQ(run("wait 5"), "");
  EXPECT_FALSE(LoadingActivity::isShown());
  bool pending = true;
  driver.setPendingWork([&pending] { return pending; });
  platform::RunLoop::main().async([&pending] { pending = false; });
  EXPECT_EQ(run("wait 5"), "");
}

TEST_F(ConsoleDriverTest, AdvanceMovesAManualClockAndRunsTheTimersThatFallDue) {
  EXPECT_EQ(run("advance 1"), "error: the clock is the system's; start with --manual-clock\n");
  auto clock = std::make_shared<platform::ManualClock>();
  platform::RunLoop::main().setClock(clock);
  std::ostringstream output;
  ConsoleDriver manual(output, clock);
  int ticks = 0;
  auto timer = platform::RunLoop::main().scheduleTimer(std::chrono::seconds(1), true, [&ticks](platform::Timer&) { ++ticks; });
  manual.execute("advance 3");
  EXPECT_EQ(ticks, 3);
  timer->invalidate();
  platform::RunLoop::main().setClock(std::make_shared<platform::SystemClock>());
}

TEST_F(ConsoleDriverTest, UnknownCommandsAndQuit) {
  EXPECT_EQ(run("fly"), "error: unknown command \"fly\" (help lists them)\n");
  EXPECT_EQ(run("# a comment"), "");
  EXPECT_FALSE(driver.execute("quit"));
  EXPECT_NE(run("help").find("advance SECONDS"), std::string::npos);
}

}  // namespace
}  // namespace instala::console
