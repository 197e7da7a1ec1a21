#include "QtTests.h"

namespace instala::testing {

std::vector<QtTest>& qtTests() {
  static std::vector<QtTest> tests;
  return tests;
}

}  // namespace instala::testing
