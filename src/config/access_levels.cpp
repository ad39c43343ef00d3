#include "access_levels.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>
#include <QWidget>

namespace zelkor {

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

std::vector<int> ApplyAccessLevels(const AppState& state, const std::vector<AccessControl>& controls) {
  std::vector<int> locked;
  for (const AccessControl& c : controls) {
    if (!c.widget) continue;
    switch (state.accessFor(c.id)) {
      case ControlAccess::Hidden:
        c.widget->setVisible(false);
        c.widget->setEnabled(false);
        break;
      case ControlAccess::Usable:
        // Shown; whether it is enabled stays with the dialog's own state (a
        // retry field of a schedule without retries remains disabled).
        break;
      case ControlAccess::Locked:
        locked.push_back(c.id);
        if (c.locked == LockStyle::LeaveAlone) break;
        if (c.locked == LockStyle::Disable) {
          c.widget->setEnabled(false);
        } else if (auto* box = qobject_cast<QCheckBox*>(c.widget)) {
          LockCheckBox(box);
        } else if (auto* edit = qobject_cast<QLineEdit*>(c.widget)) {
          edit->setReadOnly(true);
        } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(c.widget)) {
          spin->setReadOnly(true);
        } else if (qobject_cast<QPushButton*>(c.widget)) {
          c.widget->setEnabled(false);
        }
        break;
    }
  }
  return locked;
}

}  // namespace zelkor
