#include "config_options_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialog_fields.h"

namespace zelkor {

namespace {
const char kDatFilter[] = "DAT files (*.dat);;All Files (*.*)";
}

ConfigOptionsDialog::ConfigOptionsDialog(const std::vector<std::string>& changes, const std::string& fileName,
                                         FileChooser& files, QWidget* parent, Prompter* prompter)
    : QDialog(parent), prompter_(prompter), changed_(!changes.empty()) {
  setWindowTitle("Collar Configuration Options");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(changes.empty() ? "Nothing was changed against the configuration read from the collar."
                                               : "Changed against the configuration read from the collar:",
                               this));
  changes_ = new QListWidget(this);
  for (const auto& line : changes) changes_->addItem(QString::fromStdString(line));
  changes_->setVisible(!changes.empty());
  layout->addWidget(changes_);
  send_ = new QRadioButton("Send to collar", this);
  save_ = new QRadioButton("Save to file", this);
  layout->addWidget(send_);
  layout->addWidget(save_);
  auto* row = new QHBoxLayout;
  fileLabel_ = new QLabel("Filename", this);
  file_ = new QLineEdit(QString::fromStdString(fileName), this);
  file_->setToolTip("File to save the configuration in; Browse to choose the folder and name.");
  browse_ = new QPushButton("Browse", this);
  row->addWidget(fileLabel_);
  row->addWidget(file_);
  row->addWidget(browse_);
  layout->addLayout(row);
  AddOkCancel(this, layout);
  connect(send_, &QRadioButton::toggled, this, &ConfigOptionsDialog::modeChanged);
  connect(browse_, &QPushButton::clicked, this, [this, &files] {
    if (auto p = files.saveFile("Save configuration", file_->text().toStdString(), kDatFilter, "dat"))
      file_->setText(QString::fromStdString(*p));
  });
  send_->setChecked(true);
  modeChanged();
}

void ConfigOptionsDialog::reject() {
  if (changed_ && prompter_ &&
      prompter_->ask("Discard your changes?", "Collar Configuration Options", PromptIcon::Question,
                     PromptButtons::YesNo,
                     {"The changes listed are neither sent to the collar nor saved unless you press OK.",
                      PromptAnswer::No}) != PromptAnswer::Yes)
    return;
  QDialog::reject();
}

void ConfigOptionsDialog::modeChanged() { EnableAll({fileLabel_, file_, browse_}, save_->isChecked()); }

OptionsChoice ConfigOptionsDialog::choice() const {
  return save_->isChecked() ? OptionsChoice::SaveToFile : OptionsChoice::SendToCollar;
}

std::string ConfigOptionsDialog::fileName() const { return file_->text().toStdString(); }

OptionsChoice QtOptionsDialogPort::run(const std::vector<std::string>& changes, std::string& fileName) {
  ConfigOptionsDialog d(changes, fileName, files_, parent_, prompter_);
  if (d.exec() != QDialog::Accepted) return OptionsChoice::Cancel;
  fileName = d.fileName();
  return d.choice();
}

LoadConfigDialog::LoadConfigDialog(FileChooser& files, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Load Configuration ");
  auto* layout = new QVBoxLayout(this);
  collar_ = new QRadioButton("Load from collar", this);
  file_ = new QRadioButton("Load from file", this);
  layout->addWidget(collar_);
  layout->addWidget(file_);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel("File name", this);
  name_ = new QLineEdit(this);
  name_->setToolTip("Configuration file (.cfg or .dat) to load; Browse to pick one.");
  auto* browse = new QPushButton("Browse", this);
  row->addWidget(label);
  row->addWidget(name_);
  row->addWidget(browse);
  layout->addLayout(row);
  auto* buttons = new QHBoxLayout;
  auto* load = new QPushButton("Load", this);
  auto* cancel = new QPushButton("Cancel", this);
  buttons->addStretch();
  buttons->addWidget(load);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  load->setDefault(true);
  connect(load, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, [this, &files] {
    if (auto p = files.openFile("Load configuration", name_->text().toStdString(),
                                "Collar config. files (*.cfg);;DAT files (*.dat);;All Files (*.*)", "dat"))
      name_->setText(QString::fromStdString(*p));
  });
  connect(file_, &QRadioButton::toggled, this, [label, browse, this](bool on) { EnableAll({label, name_, browse}, on); });
  collar_->setChecked(true);
  EnableAll({label, name_, browse}, false);
}

bool LoadConfigDialog::fromFile() const { return file_->isChecked(); }
std::string LoadConfigDialog::fileName() const { return name_->text().toStdString(); }

}  // namespace zelkor
