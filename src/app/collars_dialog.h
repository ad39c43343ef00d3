// "Collars in the Season Store": every collar the store holds, with its
// fixes and dates, and the imports of the chosen collar. "View History"
// closes the list and shows the collar's whole history in the viewer, all
// offloads merged in time order. A wrong import, or a collar that should
// not be there, can be taken out again; fixes another import also holds
// stay.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/clock.h"
#include "app/file_chooser.h"
#include "app/prompter.h"
#include "store/season_store.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace zelkor {

class CollarsDialog : public QDialog {
  Q_OBJECT
 public:
  using HistoryViewer = std::function<void(uint32_t collarId, const std::vector<uint8_t>& image)>;
  // options: the password and limits for a server (a cancel is added to
  // each call).
  CollarsDialog(std::string storeTarget, ConnectOptions options, FileChooser& files, Prompter& prompter,
                const Clock& clock, HistoryViewer viewer, QWidget* parent = nullptr);
  QTableWidget* table() const { return table_; }
  QTableWidget* importTable() const { return imports_; }
  QPushButton* viewButton() const { return view_; }
  QPushButton* importButton() const { return import_; }
  QPushButton* removeImportButton() const { return removeImport_; }
  QPushButton* removeCollarButton() const { return removeCollar_; }
  QLabel* storeLabel() const { return store_; }
  // Reads the list again; false (with the reason shown) when the store
  // cannot be opened.
  bool refresh();
  void viewSelected();
  void importFile();
  void removeSelectedImport();
  void removeSelectedCollar();

 private:
  // Opens the store for one call, off the window's thread; null (with
  // *error) when it cannot be opened.
  void withStore(const QString& what, const std::function<void(SeasonStore&)>& work, std::string* error);
  void showImports();
  uint32_t selectedCollar() const;
  std::string target_;
  ConnectOptions options_;
  FileChooser& files_;
  Prompter& prompter_;
  const Clock& clock_;
  HistoryViewer viewer_;
  std::string readOnly_;  // why this user may not change the store; empty when they may
  std::vector<StoredImport> importList_;
  QLabel* store_;
  QTableWidget* table_;
  QLabel* importsLabel_;
  QTableWidget* imports_;
  QPushButton* view_;
  QPushButton* import_;
  QPushButton* removeImport_;
  QPushButton* removeCollar_;
};

}  // namespace zelkor
