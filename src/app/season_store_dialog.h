// "Season Store": where every offloaded fix is kept. This computer (a
// SQLite file in the data folder) or a team's PostgreSQL server; "Test"
// tries the choice before it is kept.
#pragma once

#include <QDialog>

#include "app/prompter.h"
#include "app/settings_store.h"

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace zelkor {

class SeasonStoreDialog : public QDialog {
  Q_OBJECT
 public:
  SeasonStoreDialog(SettingsStore& settings, const std::string& programDirectory, Prompter& prompter,
                    QWidget* parent = nullptr);
  QRadioButton* localButton() const { return local_; }
  QRadioButton* serverButton() const { return server_; }
  QLineEdit* urlField() const { return url_; }
  QPushButton* testButton() const { return test_; }
  // The store the dialog's choice names: a path or a URL.
  std::string target() const;

  void accept() override;

 private:
  void test();
  SettingsStore& settings_;
  std::string programDirectory_;
  Prompter& prompter_;
  QRadioButton* local_;
  QRadioButton* server_;
  QLineEdit* url_;
  QPushButton* test_;
};

}  // namespace zelkor
