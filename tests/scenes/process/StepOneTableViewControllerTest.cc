#include "scenes/process/StepOneTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/Utils.h"
#include "outbox/IdempotencyKey.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/ProcessElementCell.h"
#include "scenes/process/ProcessKilometersCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepTwoTableViewController.h"
#include "ui/Switch.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

ui::Image photo() { return ui::Image(*platform::Image::fromRGB(8, 8, platform::Bytes(8 * 8 * 3, 120))); }

Ticket sampleTicket() {
  Ticket::Fields fields;
  fields.id = 1042;
  fields.location = "Av. 5 de Febrero 1351";
  return Ticket(fields);
}

class StepOneTest : public testing::ScreenFixture {
 protected:
  std::shared_ptr<StepOneTableViewController> open(std::optional<Ticket> ticket = sampleTicket()) {
    return show<StepOneTableViewController>("StepOneTableViewController",
                                            [&](StepOneTableViewController& screen) { screen.ticket = ticket; });
  }
  std::shared_ptr<ProcessElementCell> item(StepOneTableViewController& screen, int index) {
    return row<ProcessElementCell>(*screen.tableView(), index + 2);
  }
  void flip(StepOneTableViewController& screen, int index) {
    EXPECT_TRUE(tap(*item(screen, index)->elementSwitch.lock())) << index;
  }
  void pressNext(StepOneTableViewController& screen) {
    EXPECT_TRUE(tap(*row<CustomButtonCell>(*screen.tableView(), 23)->customButton.lock()));
  }
  std::optional<ProcessData> stored() const {
    auto bytes = platform::Preferences::standard().dataForKey("dataElements");
    if (!bytes) return std::nullopt;
    auto record = ProcessData::decodeBytes(*bytes);
    return record ? std::optional<ProcessData>(record.value()) : std::nullopt;
  }
};

TEST_F(StepOneTest, LoadingKeepsOnlyTheTokenRemovesTheEarlierPhotosAndMakesANewKey) {
  auto& preferences = platform::Preferences::standard();
  preferences.setObject("abc", "token");
  preferences.setObject(platform::Bytes{1, 2}, "dataElements");
  preferences.setObject("/tmp/old.mp4", "video");
  const std::string earlierKey = "0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47";
  preferences.setObject(earlierKey, "idempotencyKey");
  for (const char* name : {"img-1", "img-2", "img-5", "other"}) ASSERT_FALSE(Utils::saveImage(name, photo()));
  // A service an earlier process left in the outbox.
  dir.write("Documents/Outbox/" + earlierKey + "/entry.plist", "kept");
  open();
  EXPECT_EQ(preferences.keys(), (std::vector<std::string>{"idempotencyKey", "token"}));
  const auto key = preferences.stringForKey("idempotencyKey");
  ASSERT_TRUE(key);
  EXPECT_TRUE(outbox::isIdempotencyKey(*key)) << *key;
  EXPECT_NE(*key, earlierKey);
  for (const char* name : {"img-1", "img-2", "img-3", "img-4", "img-5"}) EXPECT_FALSE(Utils::loadImage(name)) << name;
  EXPECT_TRUE(Utils::loadImage("other"));
  EXPECT_EQ(testing::readText(dir / "Documents" / "Outbox" / earlierKey / "entry.plist"), "kept");
  // Every new process gets a key of its own.
  open();
  EXPECT_NE(preferences.stringForKey("idempotencyKey"), key);
}

TEST_F(StepOneTest, RowsAndHeights) {
  auto screen = open();
  auto table = screen->tableView();
  ASSERT_EQ(table->numberOfSections(), 1);
  ASSERT_EQ(table->numberOfRows(0), 24);
  const std::pair<int, double> heights[] = {{0, 100}, {1, 44}, {2, 52}, {12, 52}, {22, 52}, {23, 90}};
  for (auto [index, height] : heights) {
    EXPECT_EQ(screen->heightForRowAtIndexPath(*table, {0, index}), height) << index;
    EXPECT_EQ(table->rectForRow({0, index}).height(), height) << index;
  }
  EXPECT_NE(row<ProcessStepsCell>(*table, 0), nullptr);
  EXPECT_NE(row<ProcessKilometersCell>(*table, 1), nullptr);
  EXPECT_EQ(item(*screen, 0)->titleLabel.lock()->text(), "Ignición");
  EXPECT_EQ(item(*screen, 7)->titleLabel.lock()->text(), "Claxón");
  EXPECT_EQ(item(*screen, 20)->titleLabel.lock()->text(), "Ascensores eléctricos");
  EXPECT_NE(row<CustomButtonCell>(*table, 23), nullptr);
}

TEST_F(StepOneTest, AllThreeProgressMarksAreLight) {
  auto screen = open();
  auto cell = row<ProcessStepsCell>(*screen->tableView(), 0);
  const auto light = ui::Color::named("LightBlue")->withAlphaComponent(0.25);
  for (const auto& mark : {cell->stepOneView, cell->stepTwoView, cell->stepThreeView}) {
    auto view = mark.lock();
    EXPECT_EQ(view->backgroundColor(), light);
    EXPECT_EQ(view->layer().cornerRadius, view->frame().width() / 2);
    EXPECT_TRUE(view->clipsToBounds());
  }
  EXPECT_EQ(cell->leftLineView.lock()->backgroundColor(), ui::Color::fromHex("#C9D6EA"));
}

TEST_F(StepOneTest, NextWithoutTouchingAnythingStoresANewRecordAndOpensStepTwoWithTheTicket) {
  auto screen = open();
  pressNext(*screen);
  EXPECT_EQ(stored(), ProcessData());
  EXPECT_EQ(stored()->kilometers, "");
  auto step = std::dynamic_pointer_cast<StepTwoTableViewController>(topScreen());
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->ticket, sampleTicket());
}

TEST_F(StepOneTest, AMissingTicketIsHandedOnAsMissing) {
  auto screen = open(std::nullopt);
  pressNext(*screen);
  auto step = std::dynamic_pointer_cast<StepTwoTableViewController>(topScreen());
  ASSERT_NE(step, nullptr);
  EXPECT_FALSE(step->ticket);
}

TEST_F(StepOneTest, TheHornSwitchSetsOnlyTheHorn) {
  auto screen = open();
  flip(*screen, 7);
  EXPECT_TRUE(item(*screen, 7)->elementSwitch.lock()->isOn());
  pressNext(*screen);
  ProcessData expected;
  expected.setItem(7, true);
  EXPECT_EQ(stored(), expected);
  EXPECT_EQ(stored()->item(7), std::optional<bool>(true));  // horn
}

TEST_F(StepOneTest, AReusedRowShowsAndWritesTheItemItNowShows) {
  auto screen = open();
  auto table = screen->tableView();
  flip(*screen, 0);
  auto first = item(*screen, 0);
  table->scrollToRow({0, 23});
  settle();
  EXPECT_EQ(table->cellForRow({0, 2}), nullptr);  // scrolled out
  // The row views on screen now, some of them recycled, show their own items.
  std::size_t reused = 0;
  for (const auto& path : table->indexPathsForVisibleRows()) {
    auto cell = std::dynamic_pointer_cast<ProcessElementCell>(table->cellForRow(path));
    if (!cell) continue;
    reused += cell == first;
    EXPECT_FALSE(cell->elementSwitch.lock()->isOn()) << path;
  }
  EXPECT_EQ(reused, 1u);
  flip(*screen, 20);
  EXPECT_TRUE(screen->data->isOn(20));
  EXPECT_TRUE(screen->data->isOn(0));
  for (int index = 1; index < 20; ++index) EXPECT_FALSE(screen->data->isOn(index)) << index;
  table->scrollToRow({0, 2});
  settle();
  EXPECT_TRUE(item(*screen, 0)->elementSwitch.lock()->isOn());
  flip(*screen, 0);
  EXPECT_FALSE(screen->data->isOn(0));
  EXPECT_TRUE(screen->data->isOn(20));
}

TEST_F(StepOneTest, TheOdometerReadingGoesIntoTheRecordOnEveryEdit) {
  auto screen = open();
  auto field = row<ProcessKilometersCell>(*screen->tableView(), 1)->customTF.lock();
  EXPECT_TRUE(tap(*field));
  field->typeText("1234");
  EXPECT_EQ(screen->data->kilometers, "1234");
  field->typeText("5");
  field->deleteBackward();
  field->deleteBackward();
  field->typeText("7");
  EXPECT_EQ(screen->data->kilometers, "1237");
  pressNext(*screen);
  EXPECT_EQ(stored()->kilometers, "1237");
}

TEST_F(StepOneTest, WithoutARecordTheStoredOneIsRemoved) {
  auto screen = open();
  platform::Preferences::standard().setObject(platform::Bytes{1}, "dataElements");
  screen->data.reset();
  flip(*screen, 3);  // nothing to write into
  screen->saveInitialData();
  EXPECT_FALSE(platform::Preferences::standard().objectForKey("dataElements"));
}

}  // namespace
}  // namespace instala
