#include "ui/LayoutConstraint.h"

#include "ui/View.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

struct Format {
  const char* name;
  const char* format;
  LayoutConstraint::Axis axis;
  std::optional<double> leading;
  std::optional<double> trailing;
  std::optional<double> length;
};
void PrintTo(const Format& format, std::ostream* out) { *out << format.format; }

class VisualFormatTest : public ::testing::TestWithParam<Format> {};

TEST_P(VisualFormatTest, ParsesSpacingsAndLength) {
  auto view = std::make_shared<View>();
  auto constraints = LayoutConstraint::withVisualFormat(GetParam().format, {{"v0", view}});
  ASSERT_TRUE(constraints) << constraints.error().message;
  ASSERT_EQ(constraints->size(), 1u);
  const auto& constraint = constraints->front();
  EXPECT_EQ(constraint.axis, GetParam().axis);
  EXPECT_EQ(constraint.leading, GetParam().leading);
  EXPECT_EQ(constraint.trailing, GetParam().trailing);
  EXPECT_EQ(constraint.length, GetParam().length);
  EXPECT_EQ(constraint.item.lock(), view);
  EXPECT_EQ(constraint.format, GetParam().format);
}

using Axis = LayoutConstraint::Axis;
INSTANTIATE_TEST_SUITE_P(
    Formats, VisualFormatTest,
    ::testing::Values(Format{"BothEdges", "H:|-20-[v0]-20-|", Axis::horizontal, 20, 20, std::nullopt},
                      Format{"Vertical", "V:|-60-[v0]-10-|", Axis::vertical, 60, 10, std::nullopt},
                      Format{"ZeroSpacing", "V:|-0-[v0]-10-|", Axis::vertical, 0, 10, std::nullopt},
                      Format{"DefaultAxis", "|-8-[v0]", Axis::horizontal, 8, std::nullopt, std::nullopt},
                      Format{"StandardSpacing", "H:|-[v0]-|", Axis::horizontal, 8, 8, std::nullopt},
                      Format{"FlushEdges", "V:|[v0]|", Axis::vertical, 0, 0, std::nullopt},
                      Format{"Length", "V:[v0(44)]", Axis::vertical, std::nullopt, std::nullopt, 44}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VisualFormatErrorsTest, NameTheFormatAndTheProblem) {
  auto view = std::make_shared<View>();
  for (const auto& [format, message] : std::vector<std::pair<std::string, std::string>>{
           {"H:|-20-[v1]-20-|", "no view named \"v1\""},
           {"H:|-20-[v0][v0]|", "only one view per format"},
           {"X:|[v0]|", "expected a view in brackets"},
           {"H:|-x-[v0]|", "bad spacing"},
           {"V:[v0(", "bad length"}}) {
    auto constraints = LayoutConstraint::withVisualFormat(format, {{"v0", view}});
    ASSERT_FALSE(constraints) << format;
    EXPECT_NE(constraints.error().message.find(message), std::string::npos) << constraints.error().message;
    EXPECT_NE(constraints.error().message.find(format), std::string::npos);
  }
}

TEST(VisualFormatLayoutTest, ConstraintsPlaceTheViewInsideItsSuperview) {
  auto container = std::make_shared<View>(Rect{0, 0, 300, 100});
  auto label = std::make_shared<View>();
  container->addSubview(label);
  container->addConstraints(LayoutConstraint::withVisualFormat("H:|-20-[v0]-20-|", {{"v0", label}}).value());
  container->addConstraints(LayoutConstraint::withVisualFormat("V:|-60-[v0]-10-|", {{"v0", label}}).value());
  container->layoutIfNeeded();
  EXPECT_EQ(label->frame(), (Rect{20, 60, 260, 30}));
}

}  // namespace
}  // namespace instala::ui
