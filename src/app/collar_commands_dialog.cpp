#include "collar_commands_dialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zelkor {

CollarCommandsDialog::CollarCommandsDialog(int port, const std::string& programDirectory, LinkRunner& link,
                                           Prompter& prompter, CommandSink& commands, QWidget* parent)
    : QDialog(parent),
      port_(port),
      programDirectory_(programDirectory),
      link_(link),
      prompter_(prompter),
      commands_(commands) {
  setWindowTitle("NVK GPS Collar Commands");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  auto* group = new QButtonGroup(this);
  const char* texts[] = {"Offload GPS Data", "View Collar Configuration", "Edit Collar Configuration",
                         "Load Almanac", "Exit"};
  for (int n = 0; n < 5; ++n) {
    auto* b = new QRadioButton(texts[n], this);
    buttons_[static_cast<size_t>(n)] = b;
    group->addButton(b, n);
    layout->addWidget(b);
  }
  buttons_[0]->setChecked(true);
  connect(group, &QButtonGroup::idClicked, this, [this](int id) { choice_ = id; });
  auto* row = new QHBoxLayout;
  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  row->addStretch();
  row->addWidget(ok_);
  layout->addLayout(row);
  connect(ok_, &QPushButton::clicked, this, &CollarCommandsDialog::ok);
}

void CollarCommandsDialog::ok() {
  switch (choice_) {
    case 0: {
      // The offload is one collar sequence: the port stays locked from this
      // download to the end of the offload dialog that it opens.
      if (heldPort_ >= 0) link_.releasePort(heldPort_);
      heldPort_ = link_.holdPort(port_) ? port_ : -1;
      if (!RunConfigDownloadChoice(CollarChoice::OffloadGpsData, port_, programDirectory_, download_, link_,
                                   prompter_, commands_) &&
          heldPort_ >= 0) {
        link_.releasePort(heldPort_);
        heldPort_ = -1;
      }
      break;
    }
    case 1:
    case 2:
      RunConfigDownloadChoice(static_cast<CollarChoice>(choice_), port_, programDirectory_, download_, link_,
                              prompter_, commands_);
      break;
    case 3:
      commands_.postCommand(kCmdAlmanacInfo);
      break;
    case 4:
      // Ends the program at once, whatever else is open.
      QCoreApplication::exit(0);
      break;
  }
  hide();
}

}  // namespace zelkor
