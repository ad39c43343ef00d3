#include "help_window.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <map>

namespace zelkor {

const std::vector<ManualPage>& ManualPages() {
  static const std::vector<ManualPage> pages = {
      {"index.html", "Contents"},
      {"first-start.html", "The first start"},
      {"port.html", "Choosing the serial port"},
      {"time-zones.html", "Time zones"},
      {"offload.html", "Offloading GPS data"},
      {"viewer.html", "The GPS data viewer"},
      {"csv-columns.html", "What each CSV column means"},
      {"exports.html", "Exports for GIS and analysis"},
      {"maps.html", "Maps"},
      {"store.html", "The season store"},
      {"team-store.html", "Sharing a store with a team"},
      {"configuration.html", "The collar's configuration"},
      {"schedules.html", "Schedules and mortality"},
      {"calendar.html", "The schedule calendar"},
      {"printing.html", "Printing"},
      {"commands.html", "Single commands"},
      {"command-line.html", "zelkor-cli"},
      {"simulator.html", "The simulated collar"},
      {"troubleshooting.html", "Troubleshooting"},
      {"differences.html", "How Zelkor differs from older collar programs"},
  };
  return pages;
}

QString ManualPageFor(const QWidget* window) {
  static const std::map<QString, QString> pages = {
      {"zelkor::UtcOffsetDialog", "time-zones.html"},
      {"zelkor::SelectPortDialog", "port.html"},
      {"zelkor::CollarCommandsDialog", "first-start.html"},
      {"zelkor::OffloadGpsDataDialog", "offload.html"},
      {"zelkor::LinkDialog", "offload.html"},
      {"zelkor::ViewGpsDataDialog", "viewer.html"},
      {"zelkor::ConfigDialog", "configuration.html"},
      {"zelkor::ConfigOptionsDialog", "configuration.html"},
      {"zelkor::LoadConfigDialog", "configuration.html"},
      {"zelkor::GpsFixScheduleDialog", "schedules.html#gps-fix"},
      {"zelkor::AuxScheduleDialog", "schedules.html#auxiliary"},
      {"zelkor::TransmitterScheduleDialog", "schedules.html#transmitter"},
      {"zelkor::MortalityDialog", "schedules.html#mortality"},
      {"zelkor::ActivityDialog", "schedules.html#activity"},
      {"zelkor::WarningDialog", "schedules.html"},
      {"zelkor::CalendarDialog", "calendar.html"},
      {"nvkcal::ChangeColors", "calendar.html"},
      {"nvkcal::FrmColor", "calendar.html"},
      {"zelkor::PrintOptionsDialog", "printing.html"},
      {"zelkor::AlmanacDialog", "commands.html"},
      {"zelkor::TwoWayGpsDialog", "commands.html"},
      {"zelkor::SecurityLevelDialog", "commands.html"},
      {"zelkor::AboutDialog", "index.html#about"},
      {"zelkor::NamedZoneDialog", "time-zones.html#named"},
      {"zelkor::ParallelOffloadDialog", "offload.html#several"},
      {"zelkor::CollarsDialog", "store.html#collars"},
      {"zelkor::SeasonStoreDialog", "store.html#where"},
      {"zelkor::BatteryUsageDialog", "configuration.html"},
  };
  for (const QWidget* w = window; w; w = w->parentWidget()) {
    const auto it = pages.find(w->metaObject()->className());
    if (it != pages.end()) return it->second;
  }
  return "index.html";
}

namespace {
// The manual's pane: a picture wider than the pane is shown narrower, so
// that it never runs out of the page, and at its own width again when the
// pane grows; the sharp twice-size picture is used on screens scaled to
// 200 %.
class HelpBrowser : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;
  QVariant loadResource(int type, const QUrl& name) override {
    if (type != QTextDocument::ImageResource) return QTextBrowser::loadResource(type, name);
    QImage image;
    const qreal ratio = devicePixelRatioF();
    if (ratio > 1.0) {
      QString twice = name.toString();
      twice.replace(QRegularExpression("\\.png$"), "@2x.png");
      image = QTextBrowser::loadResource(type, QUrl(twice)).value<QImage>();
      if (!image.isNull()) image.setDevicePixelRatio(2.0);
    }
    if (image.isNull()) image = QTextBrowser::loadResource(type, name).value<QImage>();
    if (image.isNull()) return QTextBrowser::loadResource(type, name);
    return image;
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QTextBrowser::resizeEvent(event);
    fitPictures();
  }
  void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
    QTextBrowser::doSetSource(name, type);
    fitPictures();
  }

 private:
  // Each picture at its own size, or narrower where the pane is narrower.
  void fitPictures() {
    const int room = std::max(200, viewport()->width() - 40);
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) continue;
        QTextImageFormat format = fragment.charFormat().toImageFormat();
        const QImage image = document()->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
        if (image.isNull()) continue;
        const qreal natural = image.width() / image.devicePixelRatio();
        const qreal width = std::min<qreal>(natural, room);
        if (std::abs(format.width() - width) < 0.5) continue;
        format.setWidth(width);
        format.setHeight(width * image.height() / image.width());
        QTextCursor cursor(document());
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
      }
    }
  }
};

QString PageText(const QString& file) {
  QFile f(":/manual/" + file);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(f.readAll()));
  return doc.toPlainText();
}
}  // namespace

std::vector<ManualPage> SearchManual(const QString& query) {
  std::vector<ManualPage> found;
  const QStringList words = query.simplified().split(' ', Qt::SkipEmptyParts);
  if (words.isEmpty()) return found;
  for (const ManualPage& page : ManualPages()) {
    const QString text = PageText(page.file);
    bool all = !text.isEmpty();
    for (const QString& w : words) all = all && text.contains(w, Qt::CaseInsensitive);
    if (all) found.push_back(page);
  }
  return found;
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Zelkor Help");
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  auto* splitter = new QSplitter(this);
  side_ = new QTabWidget(splitter);
  contents_ = new QListWidget(side_);
  for (const ManualPage& page : ManualPages()) {
    auto* item = new QListWidgetItem(page.title, contents_);
    item->setData(Qt::UserRole, page.file);
  }
  side_->addTab(contents_, "Contents");
  auto* searchPage = new QWidget(side_);
  auto* searchLayout = new QVBoxLayout(searchPage);
  search_ = new QLineEdit(searchPage);
  search_->setPlaceholderText("Words to find");
  search_->setToolTip("Pages holding every word typed here; press Enter");
  results_ = new QListWidget(searchPage);
  searchLayout->addWidget(search_);
  searchLayout->addWidget(results_);
  side_->addTab(searchPage, "Search");
  browser_ = new HelpBrowser(splitter);
  browser_->setOpenExternalLinks(true);
  browser_->setSearchPaths({":/manual"});
  splitter->addWidget(side_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({190, 610});
  layout->addWidget(splitter);
  auto* row = new QHBoxLayout;
  auto* back = new QPushButton("Back", this);
  auto* close = new QPushButton("Close", this);
  row->addWidget(back);
  row->addStretch();
  row->addWidget(close);
  layout->addLayout(row);
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto open = [this](QListWidgetItem* item) {
    if (item) showPage(item->data(Qt::UserRole).toString());
  };
  connect(contents_, &QListWidget::itemClicked, this, open);
  connect(contents_, &QListWidget::itemActivated, this, open);
  connect(results_, &QListWidget::itemClicked, this, open);
  connect(results_, &QListWidget::itemActivated, this, open);
  connect(search_, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
  resize(820, 600);
  showPage("index.html");
}

void HelpWindow::showPage(const QString& page) { browser_->setSource(QUrl("qrc:/manual/" + page)); }

QString HelpWindow::currentPage() const {
  const QUrl url = browser_->source();
  const QString file = url.path().section('/', -1);
  return url.hasFragment() ? file + "#" + url.fragment() : file;
}

void HelpWindow::runSearch() {
  results_->clear();
  const auto found = SearchManual(search_->text());
  for (const ManualPage& page : found) {
    auto* item = new QListWidgetItem(page.title, results_);
    item->setData(Qt::UserRole, page.file);
  }
  if (found.empty()) new QListWidgetItem("No page holds these words.", results_);
}

HelpWindow* OpenManual(const QString& page, QWidget* asker) {
  static QPointer<HelpWindow> open;
  // Above a modal dialog a window must be its child to take clicks.
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* parent = modal ? modal : (asker ? asker->window() : nullptr);
  if (open && open->parentWidget() != parent) open->close();
  if (!open) open = new HelpWindow(parent);
  open->showPage(page);
  open->show();
  open->raise();
  open->activateWindow();
  return open;
}

namespace {
class HelpKey : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow()) return false;  // once per key, at the window
    if (qobject_cast<HelpWindow*>(widget)) return false;
    OpenManual(ManualPageFor(widget), widget);
    return true;
  }
};
}  // namespace

void InstallHelpKey() {
  static HelpKey* key = [] {
    auto* k = new HelpKey;
    QCoreApplication::instance()->installEventFilter(k);
    return k;
  }();
  (void)key;
}

}  // namespace zelkor
