// Command numbers of the main view. Workflows hand over to each other by
// queueing these numbers.
#pragma once

namespace zelkor {

enum CommandId : int {
  kCmdFileNew = 57600,
  kCmdFileOpen = 57601,
  kCmdFileSave = 57603,
  kCmdFileSaveAs = 57604,
  kCmdFilePrintSetup = 57606,
  kCmdFilePrint = 57607,
  kCmdFilePrintPreview = 57609,
  kCmdFileMru = 57616,
  kCmdAppExit = 57665,
  kCmdAppAbout = 57664,
  kCmdHelpFinder = 57667,
  kCmdComPort = 32772,
  kCmdScanPorts = 32773,
  kCmdCollarCommands = 32775,
  kCmdCollarConfiguration = 32776,
  kCmdResetDataPointer = 32778,
  kCmdSecurityLevel = 32779,
  kCmdBatteryUsage = 32780,
  kCmdInitializeComPort = 32781,
  kCmdOffloadGpsData = 32782,
  kCmdAlmanacInfo = 32783,
  kCmdLoadConfiguration = 32784,
  kCmdSetUtcOffset = 32785,
  kCmdGpsDataFile = 32789,
  kCmdEnableTwoWayGps = 32790,
  kCmdExportGpsData = 32800,
  kCmdOffloadSeveral = 32801,
  kCmdCollarsInStore = 32802,
  kCmdSeasonStore = 32803,
  kCmdViewToolbar = 59392,
  kCmdViewStatusBar = 59393,
};

// Receives queued commands; the main view implements it.
class CommandSink {
 public:
  virtual ~CommandSink() = default;
  virtual void postCommand(int id) = 0;
};

}  // namespace zelkor
