#pragma once
// The progress row of the three process steps: three round marks joined by two
// lines. Marks start light ("LightBlue" at 25 %); each step colours the marks
// and lines it has reached.

#include "ui/ClassRegistry.h"
#include "ui/TableViewCell.h"

#include <memory>

namespace instala {

class ProcessStepsCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> stepOneView;
  std::weak_ptr<ui::View> stepTwoView;
  std::weak_ptr<ui::View> stepThreeView;
  std::weak_ptr<ui::View> leftLineView;
  std::weak_ptr<ui::View> rightLineView;

  void awakeFromNib() override;

  // The marks and lines of the steps done so far in "DarkBlue" (step 1: none,
  // step 2: mark one and the left line, step 3: marks one and two and both lines).
  void showProgress(int step);

  static void describe(ui::ClassDescription<ProcessStepsCell>& d);
};

}  // namespace instala
