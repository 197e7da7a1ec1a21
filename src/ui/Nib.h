#pragma once
// A nib: the interface file of one row view (bundle/nibs/<name>.json). Its
// top-level object is created by class name; the view tree goes into the row
// view's content view; outlets and actions connect to the row view; then every
// object built gets awakeFromNib. Format: src/ui/InterfaceFiles.md.

#include "platform/Result.h"
#include "ui/View.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <memory>
#include <string>

namespace instala::ui {

class Nib {
 public:
  // bundle/nibs/<name>.json of the main bundle. Null, with the reasons on the
  // standard error, when it is missing or does not load.
  static std::shared_ptr<Nib> named(const std::string& name);
  // Parses and test-builds the nib; the error lists every problem found.
  static platform::Result<std::shared_ptr<Nib>> load(const std::filesystem::path& file);
  static platform::Result<std::shared_ptr<Nib>> fromJSON(const std::string& name, const nlohmann::json& json);

  const std::string& name() const { return name_; }
  const std::string& className() const { return className_; }

  // A new row view with its outlets and actions connected and awake.
  std::shared_ptr<View> instantiate() const;

 private:
  struct Built {
    std::shared_ptr<View> view;
    std::vector<std::string> errors;
  };
  Built build() const;

  std::string name_;
  std::string className_;
  std::shared_ptr<const nlohmann::json> json_;
};

}  // namespace instala::ui
