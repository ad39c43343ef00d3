#include "main_frame.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include "main_view.h"
#include "menu_table.h"

namespace zelkor {

MainFrame::MainFrame(AppContext& context) : context_(context) {
  setWindowTitle(kMainWindowTitle);
  setWindowIcon(QIcon(":/zelkor/zelkor.png"));
  view_ = new MainView(context, this);
  setCentralWidget(view_);
  setAcceptDrops(true);

  for (const MenuEntry& e : MenuTable()) {
    QMenu*& menu = menus_[e.menu];
    if (!menu) menu = menuBar()->addMenu(e.menu);
    if (e.removed) continue;
    QAction* a = menu->addAction(e.text);
    const QString prompt = QString(e.prompt).section('\n', 0, 0);
    a->setStatusTip(prompt);
    if (*e.shortcut) a->setShortcut(QKeySequence(e.shortcut));
    const int id = e.id;
    connect(a, &QAction::triggered, view_, [this, id] { view_->runCommand(id); });
    actions_[id] = a;
  }
  // "Enable Two Way GPS" follows the access level each time the menu opens.
  if (QMenu* settings = menus_["&Settings"]) {
    connect(settings, &QMenu::aboutToShow, this, [this] {
      if (QAction* a = actionFor(kCmdEnableTwoWayGps))
        a->setEnabled(context_.state.menuEnabledFor(1266));
    });
  }
  // Accelerators whose menu entries are gone still work.
  for (const Accelerator& k : Accelerators()) {
    auto* s = new QShortcut(QKeySequence(k.keys), this);
    const int id = k.id;
    connect(s, &QShortcut::activated, view_, [this, id] { view_->runCommand(id); });
  }

  QStatusBar* bar = statusBar();
  for (const char* text : {"CAP", "NUM", "SCRL"}) {
    auto* pane = new QLabel(text, bar);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setEnabled(false);  // lock-key states are not known here
    bar->addPermanentWidget(pane);
    indicators_.push_back(pane);
  }
  bar->showMessage("Ready");
  view_->setStatusBar(bar);

  toolBar_ = addToolBar("Toolbar");
  toolBar_->setObjectName("Toolbar");
  toolBar_->hide();

  connect(view_, &MainView::quitRequested, this, &QWidget::close);
  connect(view_, &MainView::statusBarToggled, this, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
  connect(view_, &MainView::newDocumentRequested, this, [this] { document_.clear(); });
  connect(view_, &MainView::openDocumentRequested, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, "Open", QString(), "NVKZel Files (*.gps);;All Files (*)");
    if (!path.isEmpty()) openDocument(path);
  });
  resize(1152, 800);
}

QAction* MainFrame::actionFor(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* MainFrame::menuNamed(const QString& title) const {
  auto it = menus_.find(title);
  return it == menus_.end() ? nullptr : it->second;
}

bool MainFrame::openDocument(const QString& path) { return document_.open(path); }

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && openDocument(url.toLocalFile())) {
      event->acceptProposedAction();
      return;
    }
  }
}

}  // namespace zelkor
