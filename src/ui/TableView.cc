#include "ui/TableView.h"

#include "ui/Nib.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <limits>

namespace instala::ui {

namespace {

// The offset that shows the end of the content (0 when it all fits).
double maximumContentOffset(const TableView& table) {
  return std::max(0.0, table.contentHeight() - table.frame().height());
}

}  // namespace

double TableViewDelegate::heightForRowAtIndexPath(TableView& tableView, IndexPath) { return tableView.rowHeight(); }

double TableViewDelegate::heightForHeaderInSection(TableView& tableView, int) {
  return tableView.sectionHeaderHeight();
}

void TableView::registerNib(std::shared_ptr<Nib> nib, const std::string& reuseIdentifier) {
  if (nib) {
    nibs_[reuseIdentifier] = std::move(nib);
  } else {
    nibs_.erase(reuseIdentifier);
  }
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& reuseIdentifier, IndexPath) {
  auto& pool = reusePool_[reuseIdentifier];
  if (!pool.empty()) {
    auto cell = pool.back();
    pool.pop_back();
    cell->prepareForReuse();
    return cell;
  }
  auto nib = nibs_.find(reuseIdentifier);
  if (nib == nibs_.end()) {
    std::cerr << "unable to dequeue a cell with identifier " << reuseIdentifier
              << " - must register a nib for the identifier\n";
    std::abort();
  }
  auto cell = std::dynamic_pointer_cast<TableViewCell>(nib->second->instantiate());
  if (!cell) {
    std::cerr << "the nib " << nib->second->name() << " registered for " << reuseIdentifier
              << " does not hold a table view cell\n";
    std::abort();
  }
  cell->setReuseIdentifier(reuseIdentifier);
  ++createdCells_;
  return cell;
}

std::size_t TableView::reusableCellCount(const std::string& reuseIdentifier) const {
  auto found = reusePool_.find(reuseIdentifier);
  return found == reusePool_.end() ? 0 : found->second.size();
}

void TableView::recycle(const std::shared_ptr<TableViewCell>& cell) {
  cell->removeFromSuperview();
  cell->setSelected(false, false);
  if (!cell->reuseIdentifier().empty()) reusePool_[cell->reuseIdentifier()].push_back(cell);
}

void TableView::reloadData() {
  loaded_ = true;
  selected_.reset();
  for (auto& [path, cell] : visibleCells_) recycle(cell);
  visibleCells_.clear();
  for (auto& [section, header] : headerViews_) header->removeFromSuperview();
  headerViews_.clear();
  measuredHeights_.clear();
  queryDataSource();
  tile();
}

void TableView::queryDataSource() {
  auto dataSource = dataSource_.lock();
  auto delegate = delegate_.lock();
  const int sectionCount = dataSource ? std::max(0, dataSource->numberOfSectionsInTableView(*this)) : 0;
  sections_.assign(static_cast<std::size_t>(sectionCount), {});
  for (int section = 0; section < sectionCount; ++section) {
    auto& layout = sections_[static_cast<std::size_t>(section)];
    layout.headerHeight =
        std::max(0.0, delegate ? delegate->heightForHeaderInSection(*this, section) : sectionHeaderHeight_);
    const int rows = std::max(0, dataSource->numberOfRowsInSection(*this, section));
    for (int row = 0; row < rows; ++row) {
      layout.requestedHeight.push_back(delegate ? delegate->heightForRowAtIndexPath(*this, {section, row})
                                                : rowHeight_);
    }
  }
}

void TableView::place() {
  double y = 0;
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    auto& layout = sections_[s];
    layout.headerY = y;
    y += layout.headerHeight;
    const std::size_t rows = layout.requestedHeight.size();
    layout.rowY.resize(rows);
    layout.rowHeight.resize(rows);
    for (std::size_t r = 0; r < rows; ++r) {
      double height = layout.requestedHeight[r];
      if (height < 0) {
        auto measured = measuredHeights_.find({static_cast<int>(s), static_cast<int>(r)});
        height = measured != measuredHeights_.end() ? measured->second : estimatedRowHeight_;
      }
      layout.rowY[r] = y;
      layout.rowHeight[r] = height;
      y += height;
    }
  }
}

int TableView::numberOfRows(int section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return static_cast<int>(sections_[static_cast<std::size_t>(section)].requestedHeight.size());
}

double TableView::contentHeight() const {
  if (sections_.empty()) return 0;
  const auto& last = sections_.back();
  if (last.rowY.empty()) return last.headerY + last.headerHeight;
  return last.rowY.back() + last.rowHeight.back();
}

Rect TableView::rectForRow(IndexPath path) const {
  if (path.row < 0 || path.row >= numberOfRows(path.section)) return {};
  const auto& layout = sections_[static_cast<std::size_t>(path.section)];
  const auto row = static_cast<std::size_t>(path.row);
  if (row >= layout.rowY.size()) return {};
  return {0, layout.rowY[row], frame().width(), layout.rowHeight[row]};
}

Rect TableView::rectForHeaderInSection(int section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const auto& layout = sections_[static_cast<std::size_t>(section)];
  return {0, layout.headerY, frame().width(), layout.headerHeight};
}

bool TableView::isVisible(double y, double height) const {
  return height > 0 && y < contentOffset_ + frame().height() && y + height > contentOffset_;
}

void TableView::tile() {
  if (tiling_) return;
  tiling_ = true;
  auto dataSource = dataSource_.lock();
  auto delegate = delegate_.lock();
  const double width = frame().width();
  // Self-sizing rows change the positions below them once measured; settle in a few passes.
  for (int pass = 0; pass < 8; ++pass) {
    place();
    contentOffset_ = std::clamp(contentOffset_, 0.0, maximumContentOffset(*this));
    for (auto it = visibleCells_.begin(); it != visibleCells_.end();) {
      const Rect rect = rectForRow(it->first);
      if (rect.height() > 0 && isVisible(rect.y(), rect.height())) {
        ++it;
      } else {
        recycle(it->second);
        it = visibleCells_.erase(it);
      }
    }
    for (int section = 0; section < numberOfSections(); ++section) {
      const Rect rect = rectForHeaderInSection(section);
      auto header = headerViews_.find(section);
      if (!isVisible(rect.y(), rect.height())) {
        if (header != headerViews_.end()) {
          header->second->removeFromSuperview();
          headerViews_.erase(header);
        }
        continue;
      }
      if (header == headerViews_.end() && delegate) {
        if (auto view = delegate->viewForHeaderInSection(*this, section)) {
          headerViews_[section] = view;
          addSubview(view);
        }
      }
    }
    bool measuredNew = false;
    for (int section = 0; section < numberOfSections() && dataSource; ++section) {
      const auto& layout = sections_[static_cast<std::size_t>(section)];
      for (int row = 0; row < numberOfRows(section); ++row) {
        const IndexPath path{section, row};
        const auto r = static_cast<std::size_t>(row);
        if (!isVisible(layout.rowY[r], layout.rowHeight[r]) || visibleCells_.count(path)) continue;
        auto cell = dataSource->cellForRowAtIndexPath(*this, path);
        if (!cell) {
          std::cerr << "the table's data source returned no row view for " << path << "\n";
          cell = std::make_shared<TableViewCell>();
        }
        visibleCells_[path] = cell;
        addSubview(cell);
        if (layout.requestedHeight[r] < 0) {
          const double height = cell->sizeThatFits({width, std::numeric_limits<double>::infinity()}).height;
          auto [measured, inserted] = measuredHeights_.try_emplace(path, height);
          if (inserted || measured->second != height) {
            measured->second = height;
            measuredNew = true;
          }
        }
      }
    }
    if (!measuredNew) break;
  }
  place();
  for (auto& [path, cell] : visibleCells_) cell->setFrame(rectForRow(path).offsetBy(0, -contentOffset_));
  for (auto& [section, header] : headerViews_) {
    header->setFrame(rectForHeaderInSection(section).offsetBy(0, -contentOffset_));
  }
  if (selected_) {
    if (auto cell = visibleCells_.find(*selected_); cell != visibleCells_.end()) cell->second->setSelected(true, false);
  }
  tiling_ = false;
}

std::shared_ptr<TableViewCell> TableView::cellForRow(IndexPath indexPath) const {
  auto found = visibleCells_.find(indexPath);
  return found == visibleCells_.end() ? nullptr : found->second;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
  std::vector<IndexPath> paths;
  for (const auto& [path, cell] : visibleCells_) paths.push_back(path);
  return paths;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
  for (const auto& [path, visible] : visibleCells_) {
    if (visible.get() == &cell) return path;
  }
  return std::nullopt;
}

std::map<int, std::shared_ptr<View>> TableView::visibleHeaderViews() const { return headerViews_; }

void TableView::setContentOffset(double offset) {
  // Asked for the end or past it: the end, wherever measuring the rows that come
  // into view puts it (self-sizing rows move it as they get their real heights).
  const bool toEnd = loaded_ && offset >= maximumContentOffset(*this);
  contentOffset_ = offset;
  if (!loaded_) return;
  tile();
  for (int pass = 0; toEnd && pass < 8 && contentOffset_ < maximumContentOffset(*this); ++pass) {
    contentOffset_ = maximumContentOffset(*this);
    tile();
  }
}

void TableView::scrollToRow(IndexPath indexPath) {
  // Self-sizing rows measured on the way change the positions; settle in a few passes.
  for (int pass = 0; pass < 8; ++pass) {
    const Rect rect = rectForRow(indexPath);
    if (rect.height() <= 0) return;
    double offset = contentOffset_;
    if (rect.y() < offset || rect.height() > frame().height()) {
      offset = rect.y();
    } else if (rect.maxY() > offset + frame().height()) {
      offset = rect.maxY() - frame().height();
    }
    setContentOffset(offset);
    if (rectForRow(indexPath) == rect) return;
  }
}

void TableView::selectRowOfCell(TableViewCell& cell) {
  auto path = indexPathForCell(cell);
  if (!path) return;
  if (selected_ && *selected_ != *path) {
    if (auto previous = cellForRow(*selected_)) previous->setSelected(false, false);
  }
  selected_ = path;
  cell.setSelected(true, false);
  if (auto delegate = delegate_.lock()) delegate->didSelectRowAtIndexPath(*this, *path);
}

void TableView::layoutSubviews() {
  View::layoutSubviews();
  if (!loaded_) {
    reloadData();
  } else {
    tile();
  }
}

}  // namespace instala::ui
