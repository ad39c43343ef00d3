// The main window's menus: every entry with its command number and the
// prompt the status bar shows for it. Removed entries are not shown, but
// their accelerators stay active.
#pragma once

#include <vector>

namespace zelkor {

struct MenuEntry {
  const char* menu;      // "&File"
  const char* text;      // "&Open..."; nullptr for a separator
  int id;
  const char* prompt;    // status-bar prompt; "" for none
  bool removed;
  const char* shortcut;  // "Ctrl+O"; "" for none
};

const std::vector<MenuEntry>& MenuTable();

struct Accelerator {
  const char* keys;
  int id;
};

// Accelerators active without a menu entry.
const std::vector<Accelerator>& Accelerators();

}  // namespace zelkor
