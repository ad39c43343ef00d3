// The program's main window.
#pragma once

#include <QMainWindow>

#include "app_context.h"

namespace zelkor {

class MainView;

inline const char kMainWindowTitle[] = "NVK GPS COLLAR INTERFACE AND DATA OFFLOAD SOFTWARE";

class MainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainFrame(AppContext& context);
  MainView* view() const { return view_; }

 private:
  MainView* view_;
};

}  // namespace zelkor
