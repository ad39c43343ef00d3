// The access rule over a dialog's controls: a control the current level
// may not see is hidden and disabled; one it may not edit stays visible but
// cannot be changed (a button is disabled, a check box ignores clicks, an
// edit field is read-only); the owning dialog names its exceptions.
//
// The rule holds for the dialog's whole life: every enable, show and
// read-only change of the dialog's own logic goes through its AccessGuard,
// and the guard's event filter undoes any change made around it.
#pragma once

#include <QGroupBox>
#include <QObject>
#include <initializer_list>
#include <map>
#include <vector>

#include "app/app_state.h"

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace zelkor {

// What "cannot be changed" means for one control.
enum class LockStyle {
  Default,     // by its kind: button disabled, check box locked, field read-only
  Disable,     // disabled whatever its kind
  LeaveAlone,  // as it is
};

// A group box whose access entry concerns its own frame and title only:
// hidden, it paints nothing and its controls stay shown; locked, its title
// is greyed and its controls stay as they are.
class ControlGroup : public QGroupBox {
 public:
  explicit ControlGroup(const QString& title = QString(), QWidget* parent = nullptr);
  void setFrameShown(bool shown);
  bool frameShown() const { return frameShown_; }
  void setTitleGreyed(bool greyed);
  bool titleGreyed() const { return titleGreyed_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool frameShown_ = true;
  bool titleGreyed_ = false;
};

class AccessGuard : public QObject {
 public:
  AccessGuard(const AppState& state, QObject* parent);

  // Registers a control and applies the rule to it at once.
  void add(int id, QWidget* widget, LockStyle locked = LockStyle::Default);

  // The dialog's own logic: each request is granted only as far as the
  // control's access allows.
  void setEnabled(QWidget* widget, bool enabled);
  void setEnabled(std::initializer_list<QWidget*> widgets, bool enabled);
  void setVisible(QWidget* widget, bool visible);
  void setReadOnly(QLineEdit* field, bool readOnly);

  ControlAccess access(const QWidget* widget) const;  // Usable when not registered
  std::vector<int> lockedIds() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    int id;
    ControlAccess access;
    LockStyle style;
  };
  const Entry* entry(const QWidget* widget) const;
  bool mayEnable(const QWidget* widget) const;
  bool mayEdit(const QWidget* widget) const;

  const AppState& state_;
  std::map<const QWidget*, Entry> entries_;
};

// A check box that keeps its mark and ignores the user.
void LockCheckBox(QAbstractButton* box, bool locked = true);
bool IsLocked(const QWidget* widget);

// Tags a widget with its dialog control id (for tests and the access table).
void SetControlId(QWidget* widget, int id);
int ControlIdOf(const QWidget* widget);
QWidget* FindControl(QWidget* dialog, int id);

}  // namespace zelkor
