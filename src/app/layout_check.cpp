#include "layout_check.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QWidget>

#include "title_room.h"

namespace zelkor {

namespace {

QString Describe(const QWidget* w, const QWidget& window) {
  QString text;
  if (auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
  QString name = w->metaObject()->className();
  if (!text.isEmpty()) name += " '" + text.left(40) + "'";
  return name + " in " + window.metaObject()->className();
}

// Widgets drawn by Qt inside its own composite controls (the line edit of a
// spin box, the viewport of a list) are not ours to check.
bool InsideQtComposite(const QWidget* w, const QWidget& window) {
  for (const QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget()) {
    const QString c = p->metaObject()->className();
    if (c == "QComboBox" || c == "QAbstractSpinBox" || c == "QSpinBox" || c == "QTabBar" ||
        p->inherits("QAbstractScrollArea") || p->inherits("QAbstractSpinBox") || p->inherits("QComboBox"))
      return true;
  }
  return false;
}

bool Shown(const QWidget* w, const QWidget& window) { return w->isVisibleTo(&window) && w->isVisible(); }

// The width its words need: the text with its mnemonic marks removed.
int TextNeed(const QWidget* w, const QString& text) {
  QString plain = text;
  plain.replace("&&", "\x01").remove('&').replace("\x01", "&");
  int widest = 0;
  for (const QString& line : plain.split('\n')) widest = std::max(widest, w->fontMetrics().horizontalAdvance(line));
  return widest;
}

bool FixedSize(const QWidget* w) { return w->minimumSize() == w->maximumSize(); }

}  // namespace

QStringList LayoutProblems(QWidget& window) {
  QStringList problems;
  // The title, in the window's title bar.
  if (window.isWindow() && !window.windowTitle().isEmpty() && window.width() + 1 < TitleNeed(window))
    problems << QString("the title '%1' of %2 needs %3 px, the window is %4 px wide")
                    .arg(window.windowTitle(), window.metaObject()->className())
                    .arg(TitleNeed(window))
                    .arg(window.width());
  const QList<QWidget*> all = window.findChildren<QWidget*>();
  for (QWidget* w : all) {
    if (w->isWindow() || !Shown(w, window) || InsideQtComposite(w, window)) continue;
    const QString who = Describe(w, window);

    // Squeezed below what it needs to draw itself.
    const QSize least = w->minimumSizeHint();
    if (!FixedSize(w) && least.isValid() && !qobject_cast<QPushButton*>(w)) {
      if (w->height() + 1 < least.height())
        problems << QString("%1: %2 px high, needs %3").arg(who).arg(w->height()).arg(least.height());
    }

    // Words cut off.
    if (auto* l = qobject_cast<QLabel*>(w)) {
      if (!l->pixmap().isNull() || l->text().isEmpty() || l->textFormat() == Qt::RichText ||
          Qt::mightBeRichText(l->text()))
        continue;
      const int margins = 2 * l->margin() + l->contentsMargins().left() + l->contentsMargins().right();
      if (l->wordWrap()) {
        if (l->height() + 1 < l->heightForWidth(l->width()))
          problems << QString("%1: %2 px high, its wrapped text needs %3")
                          .arg(who)
                          .arg(l->height())
                          .arg(l->heightForWidth(l->width()));
      } else if (l->width() + 1 < TextNeed(l, l->text()) + margins) {
        problems << QString("%1: %2 px wide, its text needs %3").arg(who).arg(l->width()).arg(TextNeed(l, l->text()));
      }
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (b->text().isEmpty()) continue;
      int need = TextNeed(b, b->text());
      if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
        need = b->sizeHint().width();
      } else {
        need += 6;  // the frame and a little air
      }
      if (b->width() + 1 < need) problems << QString("%1: %2 px wide, needs %3").arg(who).arg(b->width()).arg(need);
    }
  }

  // Laid-out neighbours must not overlap.
  for (QWidget* parent : all + QList<QWidget*>{&window}) {
    if (!parent->layout() || !Shown(parent, window) || InsideQtComposite(parent, window)) continue;
    // The widgets placed by its layout or any layout nested in it.
    QList<QLayout*> layouts = parent->layout()->findChildren<QLayout*>();
    layouts << parent->layout();
    QList<QWidget*> kids;
    for (QWidget* k : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (k->isWindow() || !Shown(k, window)) continue;
      for (QLayout* l : layouts)
        if (l->indexOf(k) >= 0) {
          kids << k;
          break;
        }
    }
    for (int i = 0; i < kids.size(); ++i)
      for (int j = i + 1; j < kids.size(); ++j)
        if (kids[i]->geometry().intersects(kids[j]->geometry()))
          problems << QString("%1 overlaps %2").arg(Describe(kids[i], window), Describe(kids[j], window));
  }
  return problems;
}

}  // namespace zelkor
