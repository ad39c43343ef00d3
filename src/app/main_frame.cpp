#include "main_frame.h"

#include <QStatusBar>

#include "main_view.h"

namespace zelkor {

MainFrame::MainFrame(AppContext& context) {
  setWindowTitle(kMainWindowTitle);
  view_ = new MainView(context, this);
  setCentralWidget(view_);
  view_->setStatusBar(statusBar());
  statusBar()->showMessage("Ready");
  resize(1024, 700);
}

}  // namespace zelkor
