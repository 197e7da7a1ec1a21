#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/Nib.h"
#include "ui/TableViewController.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala::ui {
namespace {

class NumberCell : public TableViewCell {
 public:
  using Super = TableViewCell;
  std::weak_ptr<Label> numberLabel;
  int awakenings = 0;
  int reuses = 0;
  void awakeFromNib() override { ++awakenings; }
  void prepareForReuse() override { ++reuses; }
  static void describe(ClassDescription<NumberCell>& d) { d.outlet("numberLabel", &NumberCell::numberLabel); }
};

// A table screen of rows "0".."count-1", each 50 points high unless self-sizing.
class NumbersScreen : public TableViewController {
 public:
  using Super = TableViewController;
  int count = 30;
  double height = 50;
  std::vector<IndexPath> selections;
  std::vector<IndexPath> configured;

  void viewDidLoad() override {
    tableView()->registerNib(Nib::fromJSON("NumberCell", nib()).value(), "NumberCell");
  }
  static nlohmann::json nib() {
    return nlohmann::json::parse(R"({ "class": "NumberCell",
      "view": { "type": "View", "layout": "vstack", "padding": 5,
                "children": [ { "type": "Label", "outlet": "numberLabel", "font": 10 } ] } })");
  }
  int numberOfRowsInSection(TableView&, int) override { return count; }
  double heightForRowAtIndexPath(TableView&, IndexPath) override { return height; }
  std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override {
    configured.push_back(path);
    auto cell = std::dynamic_pointer_cast<NumberCell>(table.dequeueReusableCell("NumberCell", path));
    if (!cell) return std::make_shared<TableViewCell>();
    cell->numberLabel.lock()->setText(std::to_string(path.row));
    return cell;
  }
  void didSelectRowAtIndexPath(TableView&, IndexPath path) override { selections.push_back(path); }
};

class TableViewTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ClassRegistry::shared().add<NumberCell>();
  }
  std::shared_ptr<TableView> showTable() {
    show(screen);
    return screen->tableView();
  }
  std::string textOf(TableView& table, int row) {
    auto cell = std::dynamic_pointer_cast<NumberCell>(table.cellForRow({0, row}));
    return cell ? cell->numberLabel.lock()->text() : "(none)";
  }
  std::shared_ptr<NumbersScreen> screen = std::make_shared<NumbersScreen>();
};

TEST_F(TableViewTest, OnlyTheRowsInTheViewportHaveRowViews) {
  auto table = showTable();
  ASSERT_EQ(table->frame().height(), 667);
  auto visible = table->indexPathsForVisibleRows();
  ASSERT_EQ(visible.size(), 14u);  // 667 / 50, the last one partly
  EXPECT_EQ(visible.front(), (IndexPath{0, 0}));
  EXPECT_EQ(visible.back(), (IndexPath{0, 13}));
  EXPECT_EQ(table->createdCellCount(), 14u);
  EXPECT_EQ(textOf(*table, 13), "13");
  EXPECT_EQ(table->cellForRow({0, 13})->frame(), (Rect{0, 650, 375, 50}));
}

TEST_F(TableViewTest, ScrollingRecyclesRowViewsAndReconfiguresThem) {
  auto table = showTable();
  auto firstCell = table->cellForRow({0, 0});
  table->setContentOffset(500);
  EXPECT_EQ(table->cellForRow({0, 0}), nullptr);
  EXPECT_EQ(table->createdCellCount(), 14u);  // rows 10..23 reuse the ten that left
  EXPECT_EQ(textOf(*table, 10), "10");
  EXPECT_EQ(textOf(*table, 23), "23");
  bool reused = false;
  for (const auto& path : table->indexPathsForVisibleRows()) reused = reused || table->cellForRow(path) == firstCell;
  EXPECT_TRUE(reused);
  EXPECT_GT(std::dynamic_pointer_cast<NumberCell>(firstCell)->reuses, 0);
  EXPECT_EQ(std::dynamic_pointer_cast<NumberCell>(firstCell)->awakenings, 1);
  EXPECT_EQ(table->cellForRow({0, 10})->frame().y(), 0);
}

TEST_F(TableViewTest, TheOffsetStopsAtTheEndOfTheContent) {
  auto table = showTable();
  table->setContentOffset(100000);
  EXPECT_EQ(table->contentOffset(), 30 * 50 - 667);
  EXPECT_EQ(textOf(*table, 29), "29");
  table->setContentOffset(-5);
  EXPECT_EQ(table->contentOffset(), 0);
}

TEST_F(TableViewTest, ScrollToRowShowsTheWholeRow) {
  auto table = showTable();
  table->scrollToRow({0, 20});
  EXPECT_EQ(table->contentOffset(), 21 * 50 - 667);
  table->scrollToRow({0, 2});
  EXPECT_EQ(table->contentOffset(), 100);
}

TEST_F(TableViewTest, ReloadDataAsksTheDataSourceAgain) {
  auto table = showTable();
  screen->count = 2;
  screen->configured.clear();
  table->reloadData();
  EXPECT_EQ(table->numberOfRows(0), 2);
  EXPECT_EQ(screen->configured, (std::vector<IndexPath>{{0, 0}, {0, 1}}));
  EXPECT_EQ(table->reusableCellCount("NumberCell"), 12u);
}

TEST_F(TableViewTest, SelfSizingRowsTakeTheHeightOfTheirContent) {
  screen->height = automaticDimension;
  auto table = showTable();
  // padding 5 + a 10-point label line of 12 + padding 5
  EXPECT_EQ(table->cellForRow({0, 0})->frame().height(), 22);
  EXPECT_EQ(table->cellForRow({0, 1})->frame().y(), 22);
}

TEST_F(TableViewTest, ScrollToRowReachesASelfSizingRowPastTheEstimates) {
  screen->height = automaticDimension;  // 22 points measured, 44 estimated
  screen->count = 60;
  auto table = showTable();
  table->scrollToRow({0, 59});
  auto cell = table->cellForRow({0, 59});
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->frame().maxY(), table->frame().height());
}

struct ScrollToEndCase {
  const char* name;
  double height;     // of every row; automaticDimension measures 22 points
  double estimate;   // assumed for rows not measured yet
  int how;           // 0: offset at the content's height, 1: far past it, 2: scroll to the last row
};

void PrintTo(const ScrollToEndCase& c, std::ostream* os) { *os << c.name; }

class TableViewScrollToEndTest : public TableViewTest, public ::testing::WithParamInterface<ScrollToEndCase> {};

// Ten thousand rows: the end is reached at once, whatever the rows measured on
// the way (taller or shorter than estimated) do to the content's height.
TEST_P(TableViewScrollToEndTest, ShowsTheLastRowAtTheBottomAtOnce) {
  screen->count = 10000;
  screen->height = GetParam().height;
  auto table = showTable();
  table->setEstimatedRowHeight(GetParam().estimate);
  table->reloadData();
  switch (GetParam().how) {
    case 0: table->setContentOffset(table->contentHeight()); break;
    case 1: table->setContentOffset(1e12); break;
    default: table->scrollToRow({0, 9999}); break;
  }
  auto last = table->cellForRow({0, 9999});
  ASSERT_NE(last, nullptr) << "stopped at row " << table->indexPathsForVisibleRows().back().row;
  EXPECT_EQ(textOf(*table, 9999), "9999");
  EXPECT_EQ(last->frame().maxY(), table->frame().height());
  EXPECT_EQ(table->contentOffset(), table->contentHeight() - table->frame().height());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TableViewScrollToEndTest,
    ::testing::Values(ScrollToEndCase{"TallerThanEstimatedByOffset", automaticDimension, 10, 0},
                      ScrollToEndCase{"TallerThanEstimatedFarPastTheEnd", automaticDimension, 10, 1},
                      ScrollToEndCase{"TallerThanEstimatedByRow", automaticDimension, 10, 2},
                      ScrollToEndCase{"ShorterThanEstimatedByOffset", automaticDimension, 44, 0},
                      ScrollToEndCase{"ShorterThanEstimatedByRow", automaticDimension, 44, 2},
                      ScrollToEndCase{"FixedHeightByOffset", 50, 44, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableViewTest, ATapOnARowSelectsItAndTellsTheDelegate) {
  auto table = showTable();
  auto cell = table->cellForRow({0, 3});
  auto label = std::dynamic_pointer_cast<NumberCell>(cell)->numberLabel.lock();
  ASSERT_TRUE(window->sendTap(*label));  // a tap on the row's label reaches the row
  EXPECT_EQ(screen->selections, std::vector<IndexPath>{(IndexPath{0, 3})});
  EXPECT_TRUE(cell->isSelected());
  EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 3}));
}

TEST(TableViewDeathTest, DequeuingAnUnregisteredIdentifierStopsWithAMessage) {
  TableView table(Rect{0, 0, 100, 100});
  EXPECT_DEATH(table.dequeueReusableCell("Nothing", {0, 0}), "unable to dequeue a cell with identifier Nothing");
}

}  // namespace
}  // namespace instala::ui
