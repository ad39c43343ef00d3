#include "nvk_calendar.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

#include "calendar_views.h"
#include "colour_dialogs.h"

namespace nvkcal {

using namespace zelkor::calendar;

std::optional<std::string> SettingsColourStore::read(const std::string& key) {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, "NVK", "NVK");
  s.beginGroup("CALENDAR CONTROL");
  const QString k = QString::fromStdString(key);
  if (!s.contains(k)) return std::nullopt;
  return s.value(k).toString().toStdString();
}

void SettingsColourStore::write(const std::string& key, const std::string& value) {
  QSettings s(QSettings::NativeFormat, QSettings::UserScope, "NVK", "NVK");
  s.beginGroup("CALENDAR CONTROL");
  s.setValue(QString::fromStdString(key), QString::fromStdString(value));
}

namespace {
const char* kLegendNames[] = {"lblPrimGPSFix", "lblPrimRate",      "lblAuxGPSFix", "lblAuxRate",
                              "lblStartTime",  "lblStartTimeValue", "lblStopTime", "lblStopTimeValue"};

QWidget* LegendPanel(QWidget* parent, std::map<QString, std::array<QLabel*, 2>>& legend, int copy) {
  auto* panel = new QWidget(parent);
  auto* g = new QGridLayout(panel);
  g->setContentsMargins(0, 0, 0, 0);
  int row = 0;
  for (int i = 0; i < 8; i += 2) {
    auto* a = new QLabel(panel);
    auto* b = new QLabel(panel);
    a->setObjectName(QString("%1_%2").arg(kLegendNames[i]).arg(copy));
    b->setObjectName(QString("%1_%2").arg(kLegendNames[i + 1]).arg(copy));
    legend[kLegendNames[i]][static_cast<size_t>(copy)] = a;
    legend[kLegendNames[i + 1]][static_cast<size_t>(copy)] = b;
    g->addWidget(a, row, 0);
    g->addWidget(b, row, 1);
    ++row;
  }
  legend["lblPrimGPSFix"][static_cast<size_t>(copy)]->setText("Primary GPS Fix Rate:");
  legend["lblAuxGPSFix"][static_cast<size_t>(copy)]->setText("Auxiliary GPS Fix Rate:");
  return panel;
}
}  // namespace

NVKCalendar::NVKCalendar(QWidget* parent) : QWidget(parent) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(this);
  outer->addWidget(tabs_);

  auto* monthTab = new QWidget(tabs_);
  auto* ml = new QGridLayout(monthTab);
  month_ = new MonthView(model_, monthTab);
  ml->addWidget(month_, 0, 0, 3, 1);
  auto* weekPanel = new QWidget(monthTab);
  auto* wl = new QVBoxLayout(weekPanel);
  const char* days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  for (int i = 0; i < 7; ++i) {
    week_[static_cast<size_t>(i)] = new QCheckBox(days[i], weekPanel);
    week_[static_cast<size_t>(i)]->setObjectName(QString("chkWeek_%1").arg(i));
    wl->addWidget(week_[static_cast<size_t>(i)]);
  }
  ml->addWidget(weekPanel, 0, 1);
  auto* quarterPanel = new QWidget(monthTab);
  auto* ql = new QVBoxLayout(quarterPanel);
  const char* quarters[] = {"1 to 7", "8 to 15", "16 to 23", "24 to Last"};
  for (int q = 0; q < 4; ++q) {
    days_[static_cast<size_t>(q)] = new QCheckBox(quarters[q], quarterPanel);
    days_[static_cast<size_t>(q)]->setObjectName(QString("chkDays_%1").arg(q));
    ql->addWidget(days_[static_cast<size_t>(q)]);
  }
  allMonths_ = new QCheckBox("All Months", quarterPanel);
  allMonths_->setObjectName("chkAllMonths");
  ql->addWidget(allMonths_);
  change_ = new QPushButton("Change Colors", quarterPanel);
  change_->setObjectName("cmdChange");
  ql->addWidget(change_);
  ml->addWidget(quarterPanel, 0, 2);
  ml->addWidget(LegendPanel(monthTab, legend_, 0), 1, 1, 1, 2);
  tabs_->addTab(monthTab, "Month");

  // The twelve months take the room; the legend stands beside them, so
  // that neither covers the other at any size the control is given.
  auto* yearTab = new QWidget(tabs_);
  auto* yl = new QHBoxLayout(yearTab);
  year_ = new YearView(model_, yearTab);
  yl->addWidget(year_, 1);
  auto* yearLegend = LegendPanel(yearTab, legend_, 1);
  yl->addWidget(yearLegend, 0, Qt::AlignTop);
  tabs_->addTab(yearTab, "Year");

  for (int i = 0; i < 7; ++i) {
    connect(week_[static_cast<size_t>(i)], &QCheckBox::toggled, this, [this, i](bool on) {
      if (syncing_) return;
      model_.SetWeekBox(i, on ? 1 : 0);
      refreshViews();
    });
  }
  for (int q = 0; q < 4; ++q) {
    connect(days_[static_cast<size_t>(q)], &QCheckBox::toggled, this, [this, q](bool on) {
      if (syncing_) return;
      model_.SetQuarterBox(q, on ? 1 : 0);
      syncBoxes();
      refreshViews();
    });
  }
  connect(allMonths_, &QCheckBox::toggled, this, [this](bool on) {
    if (syncing_) return;
    model_.SetAllMonths(on ? 1 : 0);
  });
  connect(change_, &QPushButton::clicked, this, &NVKCalendar::changeColors);
  connect(month_, &MonthView::monthChanged, this, [this](int m, int y) {
    model_.MonthChanged(m, y);
    syncBoxes();
    refreshViews();
  });
  connect(month_, &MonthView::dayClicked, this, [this](int m, int d, int y) {
    model_.DayClicked({m, d, y});
    refreshViews();
  });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int now) {
    const int before = shownTab_;
    shownTab_ = now;
    model_.TabChanged(before);
    refreshViews();
  });
  for (QCheckBox* b : week_) b->installEventFilter(this);
  for (QCheckBox* b : days_) b->installEventFilter(this);
  allMonths_->installEventFilter(this);
  applyLegend();
}

bool NVKCalendar::eventFilter(QObject* watched, QEvent* event) {
  // Read-only: the boxes pass the focus on to "Change Colors" and take no clicks.
  if (model_.readOnly()) {
    if (event->type() == QEvent::FocusIn) {
      change_->setFocus();
      return true;
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
        event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::KeyPress)
      return true;
  }
  return QWidget::eventFilter(watched, event);
}

QLabel* NVKCalendar::legend(const QString& name, int copy) const {
  auto it = legend_.find(name);
  return it == legend_.end() ? nullptr : it->second[static_cast<size_t>(copy)];
}

void NVKCalendar::syncBoxes() {
  syncing_ = true;
  for (int i = 0; i < 7; ++i) week_[static_cast<size_t>(i)]->setChecked(model_.weekBox(i) == 1);
  for (int q = 0; q < 4; ++q) days_[static_cast<size_t>(q)]->setChecked(model_.quarterBox(q) == 1);
  days_[3]->setText(QString::fromStdString(model_.quarter3Caption()));
  allMonths_->setChecked(model_.allMonths() == 1);
  syncing_ = false;
}

void NVKCalendar::applyLegend() {
  const QString sel = FromColourRef(model_.selectedColour()).name();
  const QString unsel = FromColourRef(model_.unselectedColour()).name();
  for (int copy = 0; copy < 2; ++copy) {
    for (const char* name : {"lblPrimGPSFix", "lblPrimRate"})
      legend(name, copy)->setStyleSheet(QString("color: %1").arg(unsel));
    for (const char* name : {"lblStartTimeValue", "lblStartTime", "lblStopTime", "lblStopTimeValue", "lblAuxGPSFix",
                             "lblAuxRate"})
      legend(name, copy)->setStyleSheet(QString("color: %1").arg(sel));
  }
}

void NVKCalendar::refreshViews() {
  month_->update();
  year_->update();
}

void NVKCalendar::changeColors() {
  ChangeColors dialog(model_.auxMode(), model_.selectedColour(), model_.unselectedColour(), this);
  if (dialog.exec() != QDialog::Accepted || ChangeColors::cancelled) return;
  model_.ColoursChanged(dialog.colour1(), dialog.colour2(), colours_);
  applyLegend();
  refreshViews();
}

bool NVKCalendar::fail(const QString& why) {
  error_ = why;
  return false;
}

namespace {
int Int(const QVariant& v) { return static_cast<int16_t>(v.toInt()); }
bool Bool(const QVariant& v) { return v.toInt() != 0 || v.toBool(); }
QString ErrorText(CallError e) {
  switch (e) {
    case CallError::Subscript: return "Subscript out of range";
    case CallError::NoSuchBox: return "Control array element does not exist";
    case CallError::Overflow: return "Overflow";
    case CallError::BadArgument: return "Invalid procedure call or argument";
    case CallError::None: break;
  }
  return QString();
}
}  // namespace

bool NVKCalendar::putProperty(int id, const QVariant& value) {
  switch (id) {
    case kStartTimeLabel: model_.startTimeLabel = value.toString().toStdString(); return true;
    case kStartTimeValue: model_.startTimeValue = value.toString().toStdString(); return true;
    case kStopTimeLabel: model_.stopTimeLabel = value.toString().toStdString(); return true;
    case kStopTimeValue: model_.stopTimeValue = value.toString().toStdString(); return true;
    case kPrimeRate: model_.primeRate = value.toString().toStdString(); return true;
    case kAuxRate: model_.auxRate = value.toString().toStdString(); return true;
    case kStartMonth: model_.startMonth = static_cast<int16_t>(value.toInt()); return true;
    case kStartYr: model_.startYr = static_cast<int16_t>(value.toInt()); return true;
    default: return fail("Unknown property");
  }
}

bool NVKCalendar::getProperty(int id, QVariant* value) {
  switch (id) {
    case kStartTimeLabel: *value = QString::fromStdString(model_.startTimeLabel); return true;
    case kStartTimeValue: *value = QString::fromStdString(model_.startTimeValue); return true;
    case kStopTimeLabel: *value = QString::fromStdString(model_.stopTimeLabel); return true;
    case kStopTimeValue: *value = QString::fromStdString(model_.stopTimeValue); return true;
    case kPrimeRate: *value = QString::fromStdString(model_.primeRate); return true;
    case kAuxRate: *value = QString::fromStdString(model_.auxRate); return true;
    case kStartMonth: *value = static_cast<short>(model_.startMonth); return true;
    case kStartYr: *value = static_cast<short>(model_.startYr); return true;
    default: return fail("Unknown property");
  }
}

bool NVKCalendar::invoke(int id, QVariantList& a, QVariant* result) {
  error_.clear();
  auto need = [&](int n) { return a.size() >= n || fail("Argument not optional"); };
  CallError e = CallError::None;
  QVariant r;
  switch (id) {
    case kSetUpControl: {
      if (!need(2)) return false;
      e = model_.SetUpControl(Bool(a[0]), Bool(a[1]), colours_);
      if (e == CallError::None) {
        applyLegend();
        const bool aux = model_.auxMode();
        for (const char* name : {"lblPrimGPSFix", "lblAuxGPSFix", "lblPrimRate", "lblAuxRate"})
          for (int copy = 0; copy < 2; ++copy) legend(name, copy)->setVisible(aux);
        // Setting the month view's date raises its month-change
        // notification, which the control's first-change rule absorbs.
        if (model_.monthCurrentDate().valid())
          month_->showMonth(model_.monthCurrentDate().month, model_.monthCurrentDate().year);
        r = true;
      }
      break;
    }
    case kLoadWeekDay:
      if (!need(2)) return false;
      e = model_.LoadWeekDay(Bool(a[0]), Int(a[1]));
      syncBoxes();
      r = false;
      break;
    case kLoadCheckedDaysArray:
      if (!need(3)) return false;
      e = model_.LoadCheckedDaysArray(Int(a[0]), Int(a[1]), Int(a[2]));
      r = false;
      break;
    case kUpdateControl:
      for (int copy = 0; copy < 2; ++copy) {
        legend("lblPrimRate", copy)->setText(QString::fromStdString(model_.primeRate));
        legend("lblAuxRate", copy)->setText(QString::fromStdString(model_.auxRate));
        legend("lblStartTime", copy)->setText(QString::fromStdString(model_.startTimeLabel));
        legend("lblStartTimeValue", copy)->setText(QString::fromStdString(model_.startTimeValue));
        legend("lblStopTime", copy)->setText(QString::fromStdString(model_.stopTimeLabel));
        legend("lblStopTimeValue", copy)->setText(QString::fromStdString(model_.stopTimeValue));
      }
      model_.UpdateControl();
      syncBoxes();
      break;
    case kReadCheckedDaysArray: {
      if (!need(2)) return false;
      int v = 0;
      e = model_.ReadCheckedDaysArray(Int(a[0]), Int(a[1]), &v);
      r = static_cast<short>(v);
      break;
    }
    case kReadWeekDay: {
      if (!need(1)) return false;
      int v = 0;
      e = model_.ReadWeekDay(Int(a[0]), &v);
      r = static_cast<short>(v);
      break;
    }
    case kIsLeapYear:
      if (!need(1)) return false;
      r = IsLeapYear(Int(a[0]));
      break;
    case kGetDayofWeek: {
      if (!need(3)) return false;
      int dow = 0;
      e = model_.GetDayofWeek(Int(a[0]), Int(a[1]), Int(a[2]), &dow);
      r = static_cast<short>(dow);
      break;
    }
    case kSaveSettings:
      model_.SaveSettings(colours_);
      r = QVariant();
      break;
    default:
      return fail("Unknown dispatch id");
  }
  refreshViews();
  if (e != CallError::None) return fail(ErrorText(e));
  if (result) *result = r;
  return true;
}

// The library's export: creates controls.
class NVKCalendarPlugin : public QObject, public Factory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID NVKCAL_INTERFACE_ID FILE "nvkcal.json")
  Q_INTERFACES(nvkcal::Factory)
 public:
  Control* create(QWidget* parent) override { return new NVKCalendar(parent); }
};

}  // namespace nvkcal

#include "nvk_calendar.moc"
