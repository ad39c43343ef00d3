// "Collars in the Season Store": every collar the store holds, with its
// fixes and dates; "View History" shows a collar's whole history in the
// viewer, all offloads merged in time order.
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
  CollarsDialog(std::string storeTarget, FileChooser& files, Prompter& prompter, const Clock& clock,
                HistoryViewer viewer, QWidget* parent = nullptr);
  QTableWidget* table() const { return table_; }
  QPushButton* viewButton() const { return view_; }
  QPushButton* importButton() const { return import_; }
  QLabel* storeLabel() const { return store_; }
  // Reads the list again; false (with the reason shown) when the store
  // cannot be opened.
  bool refresh();
  void viewSelected();
  void importFile();

 private:
  std::string target_;
  FileChooser& files_;
  Prompter& prompter_;
  const Clock& clock_;
  HistoryViewer viewer_;
  QLabel* store_;
  QTableWidget* table_;
  QPushButton* view_;
  QPushButton* import_;
};

}  // namespace zelkor
