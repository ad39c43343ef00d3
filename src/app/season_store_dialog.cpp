#include "season_store_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "store_work.h"
#include "store/store_address.h"
#include "store/store_keeper.h"
#include "util/text.h"

namespace zelkor {

namespace {
const char kCaption[] = "Season Store";
const char kAddressHelp[] =
    "Enter the server's address as postgresql://USER@HOST/DATABASE, or as libpq words such as "
    "\"host=db.example.org dbname=zelkor user=ana\" or \"service=team\".";
}  // namespace

SeasonStoreDialog::SeasonStoreDialog(SettingsStore& settings, const std::string& programDirectory, Prompter& prompter,
                                     PasswordKeyring* keyring, QWidget* parent)
    : QDialog(parent), settings_(settings), programDirectory_(programDirectory), prompter_(prompter), keyring_(keyring) {
  setWindowTitle(kCaption);
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel("Every offload, and every GPS data file you import, goes into the season store. Each fix "
                           "is kept once, however often a collar is offloaded.",
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  local_ = new QRadioButton(
      QString("This computer: %1").arg(QString::fromStdString(DefaultStorePath(programDirectory))), this);
  local_->setToolTip("A SQLite file in the data folder; nothing to set up");
  server_ = new QRadioButton("A team server (PostgreSQL):", this);
  server_->setToolTip("A PostgreSQL database the whole team writes to");
  layout->addWidget(local_);
  layout->addWidget(server_);

  auto* form = new QFormLayout;
  form->setContentsMargins(20, 0, 0, 0);
  url_ = new QLineEdit(this);
  url_->setPlaceholderText("postgresql://ana@db.example.org/zelkor?sslmode=require");
  url_->setToolTip("The server's address: postgresql://USER@HOST[:PORT]/DATABASE, with ?sslmode=require for an "
                   "encrypted line, or libpq words such as service=team. The database must exist; Zelkor makes its "
                   "tables. The password goes in the field below, never in the address.");
  url_->setMinimumWidth(url_->fontMetrics().horizontalAdvance(url_->placeholderText()) + 24);
  form->addRow("&Address:", url_);
  password_ = new QLineEdit(this);
  password_->setEchoMode(QLineEdit::Password);
  password_->setPlaceholderText("unchanged");
  password_->setToolTip("Kept in the desktop keyring, or where there is none in ~/.pgpass (readable by you alone); "
                        "never in the settings. Leave it empty when ~/.pgpass, PGPASSWORD or a service file gives "
                        "it already.");
  form->addRow("&Password:", password_);
  passwordNote_ = new QLabel(this);
  passwordNote_->setWordWrap(true);
  passwordNote_->setText(keyring ? "The password is kept in the desktop keyring; without one, in ~/.pgpass."
                                 : "The password is kept in ~/.pgpass, readable by you alone.");
  form->addRow(QString(), passwordNote_);
  auto* row = new QHBoxLayout;
  row->addLayout(form, 1);
  test_ = new QPushButton("&Test", this);
  test_->setToolTip("Open the chosen store now and say what it holds");
  row->addWidget(test_, 0, Qt::AlignTop);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &SeasonStoreDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(test_, &QPushButton::clicked, this, [this] { test(); });
  connect(url_, &QLineEdit::editingFinished, this, &SeasonStoreDialog::takePasswordFromAddress);
  auto enable = [this](bool on) {
    url_->setEnabled(on);
    password_->setEnabled(on);
  };
  connect(server_, &QRadioButton::toggled, this, enable);

  const SettingsValue stored = settings.read(kStoreKey, "Database");
  const bool remote = stored.present() && IsPostgresTarget(stored.text);
  (remote ? server_ : local_)->setChecked(true);
  // A password an earlier version kept in the settings shows as dots.
  std::string password;
  url_->setText(remote ? QString::fromStdString(WithoutPassword(stored.text, &password)) : QString());
  password_->setText(QString::fromStdString(password));
  enable(remote);
}

void SeasonStoreDialog::takePasswordFromAddress() {
  std::string password;
  const std::string address = WithoutPassword(url_->text().trimmed().toStdString(), &password);
  if (password.empty()) return;
  url_->setText(QString::fromStdString(address));
  password_->setText(QString::fromStdString(password));
}

std::string SeasonStoreDialog::target() const {
  return server_->isChecked() ? WithoutPassword(url_->text().trimmed().toStdString())
                              : DefaultStorePath(programDirectory_);
}

bool SeasonStoreDialog::tryStore(std::string* summary, std::string* error) {
  takePasswordFromAddress();
  const std::string where = target();
  ConnectOptions options = StoreConnectOptions(keyring_, where);
  if (!password_->text().isEmpty()) options.password = password_->text().toStdString();
  bool ok = false;
  RunStoreWork(this, QString("Opening %1...").arg(QString::fromStdString(MaskPassword(where))),
               [&](std::function<bool()> cancelled) {
                 ConnectOptions call = options;
                 call.cancelled = cancelled;
                 auto store = SeasonStore::Open(where, error, call);
                 std::vector<StoredCollar> collars;
                 if (!store || !store->collars(&collars, error)) return;
                 ok = true;
                 *summary = Format("%s is ready: %zu %s.", store->description().c_str(), collars.size(),
                                   collars.size() == 1 ? "collar" : "collars");
                 if (!store->writable())
                   *summary += " It can be read but not changed: " + store->readOnlyReason() + ".";
               });
  *error = MaskPassword(*error);
  return ok;
}

bool SeasonStoreDialog::test() {
  if (server_->isChecked() && !IsPostgresTarget(target())) {
    prompter_.notify(kAddressHelp, kCaption, PromptIcon::Warning);
    url_->setFocus();
    return false;
  }
  std::string summary, error;
  if (!tryStore(&summary, &error)) {
    prompter_.notify("The season store cannot be reached.", kCaption, PromptIcon::Error,
                     {error + ". Check the address, the password, that the server runs and that the database "
                              "exists.",
                      {}});
    return false;
  }
  prompter_.notify(summary, kCaption, PromptIcon::Information);
  return true;
}

void SeasonStoreDialog::accept() {
  const bool remote = server_->isChecked();
  if (remote && !IsPostgresTarget(target())) {
    prompter_.notify(kAddressHelp, kCaption, PromptIcon::Warning);
    url_->setFocus();
    return;
  }
  if (remote) {
    std::string summary, error;
    if (!tryStore(&summary, &error) &&
        prompter_.ask("The season store cannot be reached. Keep this address anyway?", kCaption, PromptIcon::Warning,
                      PromptButtons::YesNo,
                      {error + ". Offloads made meanwhile wait for the store on this computer.", PromptAnswer::No}) !=
            PromptAnswer::Yes) {
      url_->setFocus();
      return;
    }
    const std::string password = password_->text().toStdString();
    if (!password.empty()) {
      const PasswordKept kept = KeepStorePassword(keyring_, target(), password);
      if (!kept.ok) {
        prompter_.notify("The password could not be kept, so nothing was changed.", kCaption, PromptIcon::Error,
                         {kept.error + ".", {}});
        return;
      }
      if (kept.where != "the desktop keyring")
        prompter_.notify("No desktop keyring answered: the password is kept in " + kept.where +
                             ", which only you can read.",
                         kCaption, PromptIcon::Information);
    }
  }
  if (!settings_.write(kStoreKey, "Database", remote ? target() : std::string())) {
    prompter_.notify("The choice could not be saved in the settings.", kCaption, PromptIcon::Error,
                     {"Check that " + settings_.location() + " can be written.", {}});
    return;
  }
  QDialog::accept();
}

}  // namespace zelkor
