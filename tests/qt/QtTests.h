#pragma once
// The QTest classes of the Qt front end, each registered by its file.

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace instala::testing {

struct QtTest {
  const char* name;
  std::function<std::unique_ptr<QObject>()> make;
};

std::vector<QtTest>& qtTests();

template <typename T>
struct RegisterQtTest {
  explicit RegisterQtTest(const char* name) {
    qtTests().push_back({name, [] { return std::unique_ptr<QObject>(new T()); }});
  }
};

}  // namespace instala::testing

#define INSTALA_QT_TEST(Class) static const instala::testing::RegisterQtTest<Class> registered##Class(#Class);
