#include "ui/ClassRegistry.h"
#include "ui/StoryboardSegue.h"
#include "ui/ViewController.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

// A class whose instances are wired after construction, through its shared pointer.
class SelfAware : public Object {
 public:
  using Super = Object;
  static std::shared_ptr<SelfAware> create() {
    auto object = std::make_shared<SelfAware>();
    object->self = object;
    return object;
  }
  std::weak_ptr<SelfAware> self;
};

// A target whose action method takes a segue.
class SegueTaker : public Object {
 public:
  using Super = Object;
  std::string seen;
  void take(StoryboardSegue* segue) { seen = segue ? segue->identifier() : "(not a segue)"; }
  static void describe(ClassDescription<SegueTaker>& d) { d.action("takeWithSegue:", &SegueTaker::take); }
};

TEST(ClassFactory, AClassWithItsOwnCreateIsMadeThroughIt) {
  ClassRegistry::shared().add<SelfAware>();
  auto object = std::dynamic_pointer_cast<SelfAware>(ClassRegistry::shared().instantiate("SelfAware"));
  ASSERT_TRUE(object);
  EXPECT_EQ(object->self.lock(), object);
  EXPECT_EQ(object->className(), "SelfAware");
}

TEST(ClassFactory, ASegueCanBeTheArgumentOfAnActionMethod) {
  ClassRegistry::shared().add<SegueTaker>();
  auto taker = std::make_shared<SegueTaker>();
  StoryboardSegue segue("toHome", nullptr, std::make_shared<ViewController>());
  EXPECT_TRUE(taker->performSelector("takeWithSegue:", &segue));
  EXPECT_EQ(taker->seen, "toHome");
  EXPECT_TRUE(taker->performSelector("takeWithSegue:", taker.get()));
  EXPECT_EQ(taker->seen, "(not a segue)");
}

}  // namespace
}  // namespace instala::ui
