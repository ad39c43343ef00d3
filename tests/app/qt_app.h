// The one QApplication of the app tests.
#pragma once

#include <QApplication>

#include "title_room.h"

namespace zelkor::testing {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    // As the program does at its start.
    InstallTitleRoom(*a);
    return a;
  }();
  return *app;
}

}  // namespace zelkor::testing
