#pragma once
// The section header of the search screen: a title and a subtitle in
// "DarkPurple", laid out by visual-format constraints.

#include "ui/View.h"

#include <memory>
#include <string>

namespace instala {

std::shared_ptr<ui::View> headerView(const std::string& title, const std::string& subtitle);

}  // namespace instala
