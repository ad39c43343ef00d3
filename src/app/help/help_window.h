// The user manual: HTML pages built into the program, shown with their
// contents and a search. F1 in any window opens it at that window's page.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

namespace zelkor {

struct ManualPage {
  QString file;   // "offload.html"
  QString title;  // "Offloading GPS data"
};

// The pages in the order of the contents.
const std::vector<ManualPage>& ManualPages();

// The page (and anchor) that explains a window, by its class:
// "offload.html", "schedules.html#auxiliary"; the contents for others.
QString ManualPageFor(const QWidget* window);

// The pages whose text holds every word of the query, in contents order.
std::vector<ManualPage> SearchManual(const QString& query);

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // "offload.html" or "schedules.html#mortality".
  void showPage(const QString& page);
  QString currentPage() const;
  QTextBrowser* browser() const { return browser_; }
  QLineEdit* searchField() const { return search_; }
  QListWidget* results() const { return results_; }

 private:
  void runSearch();

  QTabWidget* side_;
  QListWidget* contents_;
  QLineEdit* search_;
  QListWidget* results_;
  QTextBrowser* browser_;
};

// Opens the manual at a page: above the window that asked (usable while a
// modal dialog runs), one help window at a time.
HelpWindow* OpenManual(const QString& page, QWidget* asker);

// Installs F1 for every window of the application.
void InstallHelpKey();

}  // namespace zelkor
