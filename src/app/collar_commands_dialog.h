// "NVK GPS Collar Commands": the modeless starting point of every collar
// job. Created once, then hidden and shown again.
#pragma once

#include <QDialog>
#include <array>

#include "app/command_ids.h"
#include "app/prompter.h"
#include "link/collar_sequences.h"

class QRadioButton;
class QPushButton;

namespace zelkor {

class CollarCommandsDialog : public QDialog {
  Q_OBJECT
 public:
  CollarCommandsDialog(int port, const std::string& programDirectory, LinkRunner& link, Prompter& prompter,
                       CommandSink& commands, QWidget* parent = nullptr);

  int choice() const { return choice_; }
  int port() const { return port_; }
  void setPort(int port) { port_ = port; }
  const ConfigDownloadState& download() const { return download_; }
  ConfigDownloadState& download() { return download_; }

  // The port locked from the configuration download of "Offload GPS Data"
  // until the offload that follows has ended; -1 when none. The caller takes
  // over the lock and releases it through the link.
  int takeHeldPort() {
    const int p = heldPort_;
    heldPort_ = -1;
    return p;
  }

  QRadioButton* choiceButton(int n) const { return buttons_[static_cast<size_t>(n)]; }
  QPushButton* okButton() const { return ok_; }

 private:
  void ok();

  int port_;
  std::string programDirectory_;
  LinkRunner& link_;
  Prompter& prompter_;
  CommandSink& commands_;
  int choice_ = 0;
  int heldPort_ = -1;
  ConfigDownloadState download_;
  std::array<QRadioButton*, 5> buttons_{};
  QPushButton* ok_;
};

}  // namespace zelkor
