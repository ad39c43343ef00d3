// The program's main window: menus, accelerators, status bar, a hidden
// toolbar, and the view.
#pragma once

#include <QMainWindow>
#include <map>

#include "app_context.h"
#include "gps_document.h"

class QLabel;
class QToolBar;

namespace zelkor {

class MainView;

inline const char kMainWindowTitle[] = "NVK GPS COLLAR INTERFACE AND DATA OFFLOAD SOFTWARE";

class MainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainFrame(AppContext& context);
  // Puts the window where it was last closed (size, place, maximized); a
  // first start opens maximized.
  void showWithSavedGeometry();
  MainView* view() const { return view_; }
  // The menu action of a command; nullptr for removed entries.
  QAction* actionFor(int id) const;
  QMenu* menuNamed(const QString& title) const;
  QToolBar* toolBar() const { return toolBar_; }
  GpsDocument& document() { return document_; }
  QList<QLabel*> indicatorPanes() const { return indicators_; }
  // "COM1 = /dev/ttyS0 · collar 1234" at the right of the status bar.
  QLabel* connectionPane() const { return connection_; }

  // Opens a file as the document (command line, dropped files).
  bool openDocument(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  AppContext& context_;
  MainView* view_;
  QToolBar* toolBar_;
  std::map<int, QAction*> actions_;
  std::map<QString, QMenu*> menus_;
  void showConnection();

  QList<QLabel*> indicators_;
  QLabel* connection_;
  unsigned collarId_ = 0;
  GpsDocument document_;
};

}  // namespace zelkor
