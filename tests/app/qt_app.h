// The one QApplication of the app tests.
#pragma once

#include <QApplication>

namespace zelkor::testing {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace zelkor::testing
