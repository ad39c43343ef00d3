#include "app/app_state.h"

namespace zelkor {

namespace {
AccessEntry EntryFor(const AccessTable& table, int controlId) {
  const int k = controlId - kFirstAccessControlId;
  if (k < 0 || k >= kAccessTableSize) return AccessEntry{};
  return table[static_cast<size_t>(k)];
}
}  // namespace

ControlAccess AppState::accessFor(int controlId) const {
  const AccessEntry e = EntryFor(accessTable, controlId);
  if (accessLevel < e.showLevel) return ControlAccess::Hidden;
  if (accessLevel < e.editLevel) return ControlAccess::Locked;
  return ControlAccess::Usable;
}

bool AppState::menuEnabledFor(int controlId) const {
  return EntryFor(accessTable, controlId).showLevel <= accessLevel;
}

}  // namespace zelkor
