#pragma once
// The class identifier convention: a screen's or row view's identifier is its
// class name without namespaces. It is the storyboard identifier of screens
// created from code, and the nib name and reuse identifier of row views:
//   tableView->registerNib(ui::Nib::named(identifier<TicketCell>()), identifier<TicketCell>());

#include "ui/Object.h"

#include <string>

namespace instala {

template <typename T>
std::string identifier() {
  return ui::typeName<T>();
}

}  // namespace instala
