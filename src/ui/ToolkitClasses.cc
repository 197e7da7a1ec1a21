#include "ui/ToolkitClasses.h"

#include "ui/ActivityIndicatorView.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/MapView.h"
#include "ui/NavigationController.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"
#include "ui/TableViewController.h"
#include "ui/TextField.h"

namespace instala::ui {

void registerToolkitClasses(ClassRegistry& registry) {
  registry.add<Object>();
  registry.add<View>();
  registry.add<Label>();
  registry.add<Control>();
  registry.add<Button>();
  registry.add<Switch>();
  registry.add<ImageView>();
  registry.add<TextField>();
  registry.add<ActivityIndicatorView>();
  registry.add<MapView>();
  registry.add<TableView>();
  registry.add<TableViewCell>();
  registry.add<ViewController>();
  registry.add<TableViewController>();
  registry.add<NavigationController>();
  registry.add<TabBarController>();
}

}  // namespace instala::ui
