#include "title_room.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>

namespace zelkor {

namespace {

// Icon, caption margins and the minimise, maximise and close buttons of the
// common title bars (Windows 10 and 11 draw them 46 px wide each).
constexpr int kTitleBarExtras = 170;

class TitleRoom : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window || !window->isWindow() || !qobject_cast<QDialog*>(window)) return false;
    const int need = TitleNeed(*window);
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
      // A message box sizes itself from its layout as it shows: the room
      // goes into the layout, once.
      auto* grid = qobject_cast<QGridLayout*>(box->layout());
      if (grid && !box->property("zelkorTitleRoom").toBool()) {
        const QMargins m = grid->contentsMargins();
        grid->addItem(new QSpacerItem(need - m.left() - m.right(), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
        box->setProperty("zelkorTitleRoom", true);
      }
      return false;
    }
    if (window->minimumWidth() < need) window->setMinimumWidth(std::min(need, window->maximumWidth()));
    if (window->width() < need) window->resize(need, window->height());
    return false;
  }
};

}  // namespace

int TitleNeed(const QWidget& window) {
  QFont bold = QApplication::font("QMdiSubWindowTitleBar");
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + kTitleBarExtras;
}

void InstallTitleRoom(QApplication& app) { app.installEventFilter(new TitleRoom(&app)); }

}  // namespace zelkor
