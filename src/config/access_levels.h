// The access rule over a dialog's controls: a control the current level
// may not see is hidden and disabled; one it may not edit stays visible but
// cannot be changed (a button is disabled, a check box ignores clicks, an
// edit field is read-only); the owning dialog names its exceptions.
#pragma once

#include <vector>

#include "app/app_state.h"

class QAbstractButton;
class QWidget;

namespace zelkor {

// What "cannot be changed" means for one control.
enum class LockStyle {
  Default,     // by its kind: button disabled, check box locked, field read-only
  Disable,     // disabled whatever its kind
  LeaveAlone,  // as it is
};

struct AccessControl {
  int id;
  QWidget* widget;
  LockStyle locked = LockStyle::Default;
};

// Applies the rule; returns the controls that ended up locked.
std::vector<int> ApplyAccessLevels(const AppState& state, const std::vector<AccessControl>& controls);

// A check box that keeps its mark and ignores the user.
void LockCheckBox(QAbstractButton* box, bool locked = true);
bool IsLocked(const QWidget* widget);

// Tags a widget with its dialog control id (for tests and the access table).
void SetControlId(QWidget* widget, int id);
int ControlIdOf(const QWidget* widget);
QWidget* FindControl(QWidget* dialog, int id);

}  // namespace zelkor
