#include "access_levels.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionGroupBox>
#include <QVariant>
#include <QWidget>

namespace zelkor {

ControlGroup::ControlGroup(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void ControlGroup::setFrameShown(bool shown) {
  frameShown_ = shown;
  update();
}

void ControlGroup::setTitleGreyed(bool greyed) {
  titleGreyed_ = greyed;
  update();
}

void ControlGroup::paintEvent(QPaintEvent* event) {
  if (!frameShown_) return;
  if (!titleGreyed_) {
    QGroupBox::paintEvent(event);
    return;
  }
  QPainter painter(this);
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  option.state &= ~QStyle::State_Enabled;
  option.palette.setCurrentColorGroup(QPalette::Disabled);
  option.textColor = palette().color(QPalette::Disabled, QPalette::WindowText);
  style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
}

void LockCheckBox(QAbstractButton* box, bool locked) {
  box->setAttribute(Qt::WA_TransparentForMouseEvents, locked);
  box->setFocusPolicy(locked ? Qt::NoFocus : Qt::StrongFocus);
  box->setProperty("zelkorLocked", locked);
}

bool IsLocked(const QWidget* widget) {
  if (auto* e = qobject_cast<const QLineEdit*>(widget)) return e->isReadOnly();
  if (auto* s = qobject_cast<const QAbstractSpinBox*>(widget)) return s->isReadOnly();
  if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget))
    return widget->property("zelkorLocked").toBool();
  if (auto* g = dynamic_cast<const ControlGroup*>(widget)) return g->titleGreyed();
  return !widget->isEnabled();
}

void SetControlId(QWidget* widget, int id) { widget->setProperty("controlId", id); }

int ControlIdOf(const QWidget* widget) {
  const QVariant v = widget->property("controlId");
  return v.isValid() ? v.toInt() : 0;
}

QWidget* FindControl(QWidget* dialog, int id) {
  for (QWidget* w : dialog->findChildren<QWidget*>())
    if (ControlIdOf(w) == id) return w;
  return nullptr;
}

AccessGuard::AccessGuard(const AppState& state, QObject* parent) : QObject(parent), state_(state) {}

const AccessGuard::Entry* AccessGuard::entry(const QWidget* widget) const {
  const auto it = entries_.find(widget);
  return it == entries_.end() ? nullptr : &it->second;
}

ControlAccess AccessGuard::access(const QWidget* widget) const {
  const Entry* e = entry(widget);
  return e ? e->access : ControlAccess::Usable;
}

std::vector<int> AccessGuard::lockedIds() const {
  std::vector<int> ids;
  for (const auto& [widget, e] : entries_)
    if (e.access == ControlAccess::Locked) ids.push_back(e.id);
  return ids;
}

bool AccessGuard::mayEnable(const QWidget* widget) const {
  const Entry* e = entry(widget);
  if (!e || dynamic_cast<const ControlGroup*>(widget)) return true;  // a group's children are not its business
  if (e->access == ControlAccess::Hidden) return false;
  if (e->access != ControlAccess::Locked) return true;
  if (e->style == LockStyle::Disable) return false;
  if (e->style == LockStyle::LeaveAlone) return true;
  return !qobject_cast<const QPushButton*>(widget);
}

bool AccessGuard::mayEdit(const QWidget* widget) const {
  const Entry* e = entry(widget);
  return !e || e->access != ControlAccess::Locked || e->style != LockStyle::Default;
}

void AccessGuard::add(int id, QWidget* widget, LockStyle locked) {
  if (!widget) return;
  const ControlAccess access = state_.accessFor(id);
  entries_[widget] = Entry{id, access, locked};
  widget->installEventFilter(this);
  auto* group = dynamic_cast<ControlGroup*>(widget);
  switch (access) {
    case ControlAccess::Usable:
      // Shown; whether it is enabled stays with the dialog's own state (a
      // retry field of a schedule without retries remains disabled).
      break;
    case ControlAccess::Hidden:
      if (group) {
        group->setFrameShown(false);
      } else {
        widget->setVisible(false);
        widget->setEnabled(false);
      }
      break;
    case ControlAccess::Locked:
      if (locked == LockStyle::LeaveAlone) break;
      if (group) {
        group->setTitleGreyed(true);
      } else if (locked == LockStyle::Disable || qobject_cast<QPushButton*>(widget)) {
        widget->setEnabled(false);
      } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        LockCheckBox(box);
      } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setReadOnly(true);
      } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget)) {
        spin->setReadOnly(true);
      }
      break;
  }
}

void AccessGuard::setEnabled(QWidget* widget, bool enabled) {
  widget->setEnabled(enabled && mayEnable(widget));
}

void AccessGuard::setEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* w : widgets) setEnabled(w, enabled);
}

void AccessGuard::setVisible(QWidget* widget, bool visible) {
  if (access(widget) == ControlAccess::Hidden && !dynamic_cast<ControlGroup*>(widget)) visible = false;
  widget->setVisible(visible);
}

void AccessGuard::setReadOnly(QLineEdit* field, bool readOnly) { field->setReadOnly(readOnly || !mayEdit(field)); }

bool AccessGuard::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  switch (event->type()) {
    case QEvent::EnabledChange:
      if (widget->isEnabled() && !mayEnable(widget)) widget->setEnabled(false);
      break;
    case QEvent::ReadOnlyChange:
      if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && !edit->isReadOnly() && !mayEdit(edit))
        edit->setReadOnly(true);
      break;
    case QEvent::ShowToParent:
      if (access(widget) == ControlAccess::Hidden && !dynamic_cast<ControlGroup*>(widget)) widget->hide();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace zelkor
