// Runs one QTest class of the Qt front end's tests (named as the first
// argument), or every class when none is named. CTest runs each class as its
// own test on the offscreen platform.

#include "QtTests.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
  QApplication application(argc, argv);
  const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  // QTest sees the program name and whatever follows the class name.
  std::vector<char*> rest{argv[0]};
  for (int i = only ? 2 : 1; i < argc; ++i) rest.push_back(argv[i]);
  int failures = 0;
  bool found = false;
  for (const auto& test : instala::testing::qtTests()) {
    if (only && std::strcmp(only, test.name) != 0) continue;
    found = true;
    std::unique_ptr<QObject> object = test.make();
    failures += QTest::qExec(object.get(), static_cast<int>(rest.size()), rest.data());
  }
  if (only && !found) {
    std::cerr << "no test class named " << only << "\n";
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
