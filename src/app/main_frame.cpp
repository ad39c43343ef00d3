#include "main_frame.h"

#include <QAction>
#include <QCloseEvent>
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
        a->setEnabled(context_.state.menuEnabledFor(kTwoWayGpsControl));
    });
  }
  // Accelerators whose menu entries are gone still work.
  for (const Accelerator& k : Accelerators()) {
    auto* s = new QShortcut(QKeySequence(k.keys), this);
    const int id = k.id;
    connect(s, &QShortcut::activated, view_, [this, id] { view_->runCommand(id); });
  }

  QStatusBar* bar = statusBar();
  connection_ = new QLabel(bar);
  connection_->setObjectName("connectionPane");
  bar->addPermanentWidget(connection_);
  for (const char* text : {"CAP", "NUM", "SCRL"}) {
    auto* pane = new QLabel(text, bar);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setEnabled(false);
    bar->addPermanentWidget(pane);
    indicators_.push_back(pane);
#ifndef _WIN32
    // The lock keys' states are not reported here: panes that are always
    // grey would only mislead.
    pane->hide();
#endif
  }
  bar->showMessage("Ready");
  view_->setStatusBar(bar);
  connect(view_, &MainView::portChanged, this, [this](int) { showConnection(); });
  connect(view_, &MainView::collarChanged, this, [this](unsigned id) {
    collarId_ = id;
    showConnection();
  });
  showConnection();

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
  // Fits a 1366 x 768 laptop screen with room for the desktop's panels.
  setMinimumSize(640, 420);
  resize(1100, 680);
}

void MainFrame::showConnection() {
  QString text = QString::fromStdString(context_.serial.portName(context_.state.comPort));
  if (collarId_) text += QString(" \u00B7 collar %1").arg(collarId_);
  connection_->setText(text);
}

void MainFrame::showWithSavedGeometry() {
  const SettingsValue saved = context_.store.read(kWindowKey, "Geometry");
  if (saved.present() && restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved.text)))) {
    show();
    return;
  }
  showMaximized();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  context_.store.write(kWindowKey, "Geometry", saveGeometry().toBase64().toStdString());
  QMainWindow::closeEvent(event);
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
