#pragma once
// Builds view trees from the JSON of nibs and storyboard scenes, creating each
// view by class name through the ClassRegistry and connecting outlets and
// actions to the owner (the row view of a nib, the screen of a scene). The
// node format is documented in src/ui/InterfaceFiles.md.

#include "ui/ClassRegistry.h"
#include "ui/View.h"

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>
#include <vector>

namespace instala::ui {

// Interface files nest views a few levels; a JSON value nested deeper than
// this (objects and arrays together) makes the file unreadable, before any
// recursive step could exhaust the stack.
inline constexpr int kMaximumInterfaceNesting = 512;

class InterfaceLoader {
 public:
  // Error messages one per line, as a file's load failure reports them.
  static std::string joinedErrors(const std::vector<std::string>& errors);

  // Whether no value of the document is nested deeper than kMaximumInterfaceNesting.
  static bool nestingWithinLimit(const nlohmann::json& document);

  // where names the file in error messages ("nib TicketCell").
  InterfaceLoader(std::string where, std::shared_ptr<Object> owner);

  // A view tree for a node; null when the node cannot be built at all.
  std::shared_ptr<View> buildView(const nlohmann::json& node, const std::string& path);
  // Applies a node's properties to an existing view (the nib's top-level view).
  void applyProperties(View& view, const nlohmann::json& node, const std::string& path,
                       const std::vector<std::string>& extraKeys = {});
  // Connects one outlet of the owner.
  void connectOutlet(const std::string& outlet, const std::shared_ptr<Object>& value, const std::string& path);
  // Sends awakeFromNib to every view built, innermost first.
  void awakeAll();

  const std::vector<std::string>& errors() const { return errors_; }
  void fail(const std::string& path, const std::string& message);

  // Shared value readers; each reports a wrong type as an error.
  std::optional<double> number(const nlohmann::json& node, const char* key, const std::string& path);
  // A whole number within [minimum, maximum]; anything else is an error.
  std::optional<int> integer(const nlohmann::json& node, const char* key, const std::string& path, int minimum,
                             int maximum);
  std::optional<std::string> text(const nlohmann::json& node, const char* key, const std::string& path);
  std::optional<bool> flag(const nlohmann::json& node, const char* key, const std::string& path);
  // A colour name of the asset catalogue or "#RRGGBB[AA]"; an unknown name gives no colour.
  std::optional<Color> color(const nlohmann::json& node, const char* key, const std::string& path);

 private:
  std::string where_;
  std::shared_ptr<Object> owner_;
  std::vector<std::shared_ptr<View>> built_;
  std::vector<std::string> errors_;
};

}  // namespace instala::ui
