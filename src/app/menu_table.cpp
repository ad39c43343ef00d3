#include "menu_table.h"

#include "app/command_ids.h"

namespace zelkor {

const std::vector<MenuEntry>& MenuTable() {
  static const std::vector<MenuEntry> table = {
      {"&File", "&New", 57600, "Create a new document\nNew", true, "Ctrl+N"},
      {"&File", "&Open...", 57601, "Open an existing document\nOpen", true, "Ctrl+O"},
      {"&File", "&Save", 57603, "Save the active document\nSave", true, "Ctrl+S"},
      {"&File", "Save &As...", 57604, "Save the active document with a new name\nSave As", true, ""},
      {"&File", "&Print...", 57607, "Print the active document\nPrint", true, "Ctrl+P"},
      {"&File", "Print Pre&view", 57609, "Display full pages\nPrint Preview", true, ""},
      {"&File", "P&rint Setup...", 57606, "Change the printer and printing options\nPrint Setup", true, ""},
      {"&File", "Recent File", 57616, "Open this document", true, ""},
      {"&File", "&Export GPS Data...", 32800,
       "Export GPS data for GIS and analysis: GPX, GeoJSON, KML or Movebank CSV", false, ""},
      {"&File", "Offload Se&veral Collars...", 32801,
       "Offload several collars at once, one per serial port", false, ""},
      {"&File", "E&xit", 57665, "Quit the application; prompts to save documents\nExit", false, ""},
      {"&Settings", "&Com Port", 32772, "Select the communications port to connect to the collar", false, ""},
      {"&Settings", "Set &Offset from UTC", 32785, "Select the time zone in GMT.", false, ""},
      {"&Settings", "&Reset Datapointer", 32778, "Reset the data pointer to overwrite the current GPS data", false, ""},
      {"&Settings", "&Security Level", 32779,
       "Modify the security level to allow more or less parameters to be changed", false, ""},
      {"&Settings", "&Enable Two Way GPS", 32790, "Enable two way GPS communication", false, ""},
      {"&Settings", "Season S&tore...", 32803, "Choose where every offloaded fix is kept: this computer or a team server",
       false, ""},
      {"&View", "&Collar Commands", 32775, "View a list of collar commands", false, ""},
      {"&View", "Collar Configuration", 32776, "View a collar configuration", true, ""},
      {"&View", "Load Configuriation", 32784, "", true, ""},
      {"&View", "Offload GPS Data", 32782, "", true, ""},
      {"&View", "Almanac INFO", 32783, "", true, ""},
      {"&View", "&Battery Usage", 32780, "View the total transmitter on time and the estimated number of GPS fixes",
       true, ""},
      {"&View", "&GPS Data File", 32789, "View a previously offloaded GPS data file", false, ""},
      {"&View", "Collars in the &Store...", 32802, "The collars in the season store, and each one's whole history",
       false, ""},
      {"&View", "&Toolbar", 59392, "Show or hide the toolbar\nToggle ToolBar", true, ""},
      {"&View", "&Status Bar", 59393, "Show or hide the status bar\nToggle StatusBar", false, ""},
      {"&Help", "&Help Topics", 57667, "List Help topics\nHelp Topics", false, ""},
      {"&Help", "&About NVKZelkor...", 57664, "Display program information, version number and copyright\nAbout",
       false, ""},
  };
  return table;
}

const std::vector<Accelerator>& Accelerators() {
  static const std::vector<Accelerator> keys = {
      {"Ctrl+N", 57600},      {"Ctrl+O", 57601},      {"Ctrl+S", 57603},         {"Ctrl+P", 57607},
      {"Ctrl+Z", 57643},      {"Alt+Backspace", 57643}, {"Ctrl+X", 57635},       {"Shift+Del", 57635},
      {"Ctrl+C", 57634},      {"Ctrl+Ins", 57634},    {"Ctrl+V", 57637},         {"Shift+Ins", 57637},
      {"F6", 57680},          {"Shift+F6", 57681},    {"Shift+F1", 57669},       {"F1", 57670},
  };
  return keys;
}

}  // namespace zelkor
