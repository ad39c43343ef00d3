// "Season Store": where every offloaded fix is kept. This computer (a
// SQLite file in the data folder) or a team's PostgreSQL server. The
// server's address is kept in the settings; its password, typed into a
// field of its own, goes to the desktop keyring, or where there is none to
// the PostgreSQL password file (~/.pgpass, readable by the user alone).
// "Test" tries the choice; OK asks before keeping an address it cannot
// reach.
#pragma once

#include <QDialog>

#include "app/prompter.h"
#include "app/settings_store.h"
#include "store/store_password.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace zelkor {

class SeasonStoreDialog : public QDialog {
  Q_OBJECT
 public:
  SeasonStoreDialog(SettingsStore& settings, const std::string& programDirectory, Prompter& prompter,
                    PasswordKeyring* keyring, QWidget* parent = nullptr);
  QRadioButton* localButton() const { return local_; }
  QRadioButton* serverButton() const { return server_; }
  QLineEdit* urlField() const { return url_; }
  QLineEdit* passwordField() const { return password_; }
  QPushButton* testButton() const { return test_; }
  // The store the dialog's choice names: a path, or a server's address
  // without any password.
  std::string target() const;

  // Opens the chosen store and says what it holds; false when it cannot.
  bool test();
  void accept() override;

 private:
  // A password typed into the address moves to its own field.
  void takePasswordFromAddress();
  // Opens the store and counts its collars; *error when it cannot.
  bool tryStore(std::string* summary, std::string* error);
  SettingsStore& settings_;
  std::string programDirectory_;
  Prompter& prompter_;
  PasswordKeyring* keyring_;
  QRadioButton* local_;
  QRadioButton* server_;
  QLineEdit* url_;
  QLineEdit* password_;
  QLabel* passwordNote_;
  QPushButton* test_;
};

}  // namespace zelkor
