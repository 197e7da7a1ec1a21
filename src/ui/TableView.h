#pragma once
// A scrolling table, asked by its data source and delegate (the table screen)
// for sections, rows, heights, header views and row views, like the phone's.
// Row views are registered by nib under a reuse identifier and dequeued; the
// table keeps a viewport of visible rows and recycles the row views that
// scroll out of it, so reuse bugs show up in tests as they would on a phone.

#include "ui/TableViewCell.h"
#include "ui/View.h"

#include <compare>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace instala::ui {

class Nib;
class TableView;

struct IndexPath {
  int section = 0;
  int row = 0;
  auto operator<=>(const IndexPath&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const IndexPath& path) {
  return out << path.section << "." << path.row;
}

// A height that the row view's own layout decides (self-sizing).
inline constexpr double automaticDimension = -1;

class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual int numberOfSectionsInTableView(TableView&) { return 1; }
  virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
  virtual std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) = 0;
};

class TableViewDelegate {
 public:
  virtual ~TableViewDelegate() = default;
  // The defaults are the table's rowHeight and sectionHeaderHeight.
  virtual double heightForRowAtIndexPath(TableView& tableView, IndexPath indexPath);
  virtual double heightForHeaderInSection(TableView& tableView, int section);
  virtual std::shared_ptr<View> viewForHeaderInSection(TableView&, int /*section*/) { return nullptr; }
  virtual void didSelectRowAtIndexPath(TableView&, IndexPath) {}
};

class TableView : public View {
 public:
  using Super = View;
  using View::View;

  std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(std::weak_ptr<TableViewDataSource> dataSource) { dataSource_ = std::move(dataSource); }
  std::shared_ptr<TableViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TableViewDelegate> delegate) { delegate_ = std::move(delegate); }

  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double height) { rowHeight_ = height; }
  // The height assumed for a self-sizing row that has not been shown yet.
  double estimatedRowHeight() const { return estimatedRowHeight_; }
  void setEstimatedRowHeight(double height) { estimatedRowHeight_ = height; }
  double sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(double height) { sectionHeaderHeight_ = height; }

  // Row views of this identifier are made from the nib. A null nib unregisters.
  void registerNib(std::shared_ptr<Nib> nib, const std::string& reuseIdentifier);
  // A recycled row view of that identifier, or a new one from its nib. An
  // identifier without a nib is a broken contract: the program stops with a message.
  std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& reuseIdentifier, IndexPath indexPath);

  // Asks the data source again and rebuilds the visible rows.
  void reloadData();
  bool hasLoadedData() const { return loaded_; }
  int numberOfSections() const { return static_cast<int>(sections_.size()); }
  int numberOfRows(int section) const;

  // Visible rows only: the row view at a position, and the positions on screen.
  std::shared_ptr<TableViewCell> cellForRow(IndexPath indexPath) const;
  std::vector<IndexPath> indexPathsForVisibleRows() const;
  std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
  // The header views of the sections on screen, by section.
  std::map<int, std::shared_ptr<View>> visibleHeaderViews() const;

  // Scrolling: the offset of the viewport's top in the content. An offset past
  // the end scrolls to the end, also when the rows measured there move it.
  double contentOffset() const { return contentOffset_; }
  void setContentOffset(double offset);
  double contentHeight() const;
  // In content coordinates (row views on screen sit at these minus the offset).
  Rect rectForRow(IndexPath indexPath) const;
  Rect rectForHeaderInSection(int section) const;
  // Scrolls as little as needed to show the whole row (its top when taller than the viewport).
  void scrollToRow(IndexPath indexPath);

  // Selecting (a tap on a row view): marks it selected and tells the delegate.
  void selectRowOfCell(TableViewCell& cell);
  std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }

  // How many row views the nibs have made, and how many wait for reuse.
  std::size_t createdCellCount() const { return createdCells_; }
  std::size_t reusableCellCount(const std::string& reuseIdentifier) const;

  void layoutSubviews() override;

 private:
  struct SectionLayout {
    double headerY = 0;
    double headerHeight = 0;
    std::vector<double> requestedHeight;  // as the delegate answered; automaticDimension allowed
    std::vector<double> rowY;
    std::vector<double> rowHeight;
  };
  void queryDataSource();
  void place();
  bool isVisible(double y, double height) const;
  void tile();
  void recycle(const std::shared_ptr<TableViewCell>& cell);

  std::weak_ptr<TableViewDataSource> dataSource_;
  std::weak_ptr<TableViewDelegate> delegate_;
  double rowHeight_ = automaticDimension;
  double estimatedRowHeight_ = 44;
  double sectionHeaderHeight_ = 0;
  std::map<std::string, std::shared_ptr<Nib>> nibs_;
  std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reusePool_;
  std::size_t createdCells_ = 0;
  bool loaded_ = false;
  std::vector<SectionLayout> sections_;
  std::map<IndexPath, double> measuredHeights_;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> visibleCells_;
  std::map<int, std::shared_ptr<View>> headerViews_;
  double contentOffset_ = 0;
  std::optional<IndexPath> selected_;
  bool tiling_ = false;
};

}  // namespace instala::ui
