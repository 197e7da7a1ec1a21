#include "common/HeaderView.h"

#include "ui/Label.h"

#include <iostream>

namespace instala {
namespace {

void constrain(ui::View& container, const std::shared_ptr<ui::View>& view, const char* format) {
  auto constraints = ui::LayoutConstraint::withVisualFormat(format, {{"v0", view}});
  if (!constraints) {
    std::cerr << constraints.error().message << "\n";
    return;
  }
  container.addConstraints(constraints.value());
}

std::shared_ptr<ui::Label> headerLabel(const std::string& text, const char* fontName, double size) {
  auto label = std::make_shared<ui::Label>();
  label->setText(text);
  label->setTranslatesAutoresizingMaskIntoConstraints(false);
  // A missing font or colour leaves the label's own.
  if (auto font = ui::Font::named(fontName, size)) label->setFont(*font);
  if (auto color = ui::Color::named("DarkPurple")) label->setTextColor(color);
  return label;
}

}  // namespace

std::shared_ptr<ui::View> headerView(const std::string& title, const std::string& subtitle) {
  auto titleLabel = headerLabel(title, "SourceSansPro-Semibold", 12);
  auto subtitleLabel = headerLabel(subtitle, "SourceSansPro-Regular", 10);
  subtitleLabel->setNumberOfLines(0);
  auto container = std::make_shared<ui::View>();
  container->setBackgroundColor(ui::Color::clear());
  container->addSubview(titleLabel);
  container->addSubview(subtitleLabel);
  constrain(*container, titleLabel, "H:|-20-[v0]-20-|");
  constrain(*container, titleLabel, "V:|-0-[v0]-10-|");
  constrain(*container, subtitleLabel, "H:|-20-[v0]-20-|");
  constrain(*container, subtitleLabel, "V:|-60-[v0]-10-|");
  return container;
}

}  // namespace instala
