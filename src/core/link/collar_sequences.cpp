#include "link/collar_sequences.h"

#include "app/paths.h"

namespace zelkor {

void RunResetSequence(Prompter& prompter, LinkRunner& link, int port) {
  if (prompter.ask(kResetQuestion, kResetCaption, PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes)
    return;
  LinkParams p;
  p.request = LinkRequest::ResetDataPointer;
  p.port = port;
  if (link.run(p).commandReceived)
    prompter.notify("All data in the collar has been erased.", kErasedCaption, PromptIcon::Information);
  else
    prompter.notify(kResetFailed, "Error", PromptIcon::Error);
}

void RunAlmanacSend(Prompter& prompter, LinkRunner& link, int port) {
  LinkParams p;
  p.request = LinkRequest::LoadAlmanac;
  p.port = port;
  for (;;) {
    if (link.run(p).commandReceived) {
      prompter.notify("Load almanac command has been sent", "Almanac Command", PromptIcon::Information);
      return;
    }
    if (prompter.ask("Error: Load almanac command was not received", "Almanac Command", PromptIcon::Error,
                     PromptButtons::RetryCancel) != PromptAnswer::Retry)
      return;
  }
}

void RunTwoWaySend(LinkRunner& link, int port) {
  LinkParams p;
  p.request = LinkRequest::TwoWayGps;
  p.port = port;
  link.run(p);
}

void RunConfigDownloadChoice(CollarChoice choice, int port, const std::string& programDirectory,
                             ConfigDownloadState& state, LinkRunner& link, Prompter& prompter,
                             CommandSink& commands) {
  state.downloadedConfigPath = ConfigBackupDir(programDirectory) + "CollarConfig.cfg";
  if (choice == CollarChoice::ViewConfig) state.viewOnly = true;
  if (choice == CollarChoice::EditConfig) state.viewOnly = false;
  LinkParams p;
  p.request = LinkRequest::DownloadConfig;
  p.port = port;
  p.fileName = "CollarConfig.cfg";
  const LinkResult r = link.run(p);
  const bool offload = choice == CollarChoice::OffloadGpsData;
  if (r.commandReceived && r.fileReceived) {
    commands.postCommand(offload ? kCmdOffloadGpsData : kCmdCollarConfiguration);
    return;
  }
  const char* text;
  if (!r.commandReceived)
    text = offload ? "The collar did not receive the command. Offload GPS data canceled!"
                   : "The collar did not receive the command. View collar config is canceled!";
  else
    text = offload ? "Did not receive the GPS data file. Offload GPS data canceled!"
                   : "Did not receive the collar config data file. View collar config is canceled!";
  prompter.notify(text, "GPS data", PromptIcon::Error);
  commands.postCommand(kCmdCollarCommands);
}

}  // namespace zelkor
