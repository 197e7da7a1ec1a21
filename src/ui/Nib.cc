#include "ui/Nib.h"

#include "platform/Bundle.h"
#include "platform/FileSystem.h"
#include "ui/InterfaceLoader.h"
#include "ui/TableViewCell.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace instala::ui {

std::shared_ptr<Nib> Nib::named(const std::string& name) {
  auto nib = load(platform::Bundle::main().root() / "nibs" / (name + ".json"));
  if (!nib) {
    std::cerr << nib.error().message << "\n";
    return nullptr;
  }
  return nib.value();
}

platform::Result<std::shared_ptr<Nib>> Nib::load(const std::filesystem::path& file) {
  const std::string name = file.stem().string();
  auto bytes = platform::readFile(file);
  if (!bytes) return platform::Error{"nib " + name + ": cannot read " + file.string()};
  auto json = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
  if (json.is_discarded()) return platform::Error{"nib " + name + ": " + file.string() + " is not valid JSON"};
  return fromJSON(name, json);
}

platform::Result<std::shared_ptr<Nib>> Nib::fromJSON(const std::string& name, const nlohmann::json& json) {
  if (!InterfaceLoader::nestingWithinLimit(json)) {
    return platform::Error{"nib " + name + ": nested deeper than " + std::to_string(kMaximumInterfaceNesting) + " levels"};
  }
  if (!json.is_object()) return platform::Error{"nib " + name + ": the file must hold a JSON object"};
  auto nib = std::shared_ptr<Nib>(new Nib());
  nib->name_ = name;
  nib->json_ = std::make_shared<const nlohmann::json>(json);
  if (auto className = json.find("class"); className != json.end() && className->is_string()) {
    nib->className_ = className->get<std::string>();
  } else {
    return platform::Error{"nib " + name + ": \"class\" must name the row view's class"};
  }
  // Building once finds every problem of the file before any screen needs it.
  auto built = nib->build();
  if (!built.errors.empty()) return platform::Error{InterfaceLoader::joinedErrors(built.errors)};
  return nib;
}

Nib::Built Nib::build() const {
  Built built;
  auto top = std::dynamic_pointer_cast<View>(ClassRegistry::shared().instantiate(className_));
  if (!top) {
    built.errors.push_back("nib " + name_ + ": \"" + className_ + "\" is not a registered view class");
    return built;
  }
  const nlohmann::json& json = *json_;
  InterfaceLoader loader("nib " + name_, top);
  // The top level holds the row view's own settings; its "view" is the content.
  loader.applyProperties(*top, json, "top", {"class", "view", "contentPadding"});
  View* container = top.get();
  if (auto* cell = dynamic_cast<TableViewCell*>(top.get())) {
    container = cell->contentView().get();
    StackLayout stack;
    if (auto padding = json.find("contentPadding"); padding != json.end()) {
      if (padding->is_number()) {
        const double p = padding->get<double>();
        stack.padding = {p, p, p, p};
      } else {
        loader.fail("top", "\"contentPadding\" must be a number");
      }
    }
    container->setStackLayout(stack);
  }
  if (auto view = json.find("view"); view != json.end()) {
    if (auto content = loader.buildView(*view, "view")) container->addSubview(content);
  }
  loader.awakeAll();
  top->awakeFromNib();
  built.errors = loader.errors();
  built.view = top;
  return built;
}

std::shared_ptr<View> Nib::instantiate() const {
  auto built = build();
  for (const auto& error : built.errors) std::cerr << error << "\n";
  return built.view;
}

}  // namespace instala::ui
