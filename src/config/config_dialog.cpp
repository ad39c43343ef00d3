#include "config_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "access_levels.h"
#include "app/paths.h"
#include "calendar/calendar_model.h"
#include "config/config_file.h"
#include "dialog_fields.h"
#include "gps_fix_schedule_dialog.h"
#include "mortality_dialog.h"
#include "transmitter_schedule_dialog.h"

namespace zelkor {

namespace {
QLineEdit* Text(QWidget* parent, int id) {
  auto* e = new QLineEdit(parent);
  e->setMaximumWidth(110);
  SetControlId(e, id);
  return e;
}
// The record a configuration would be written as.
CollarConfigRecord RecordOf(const CollarConfig& config) {
  CollarConfig copy = config;
  EncodeConfig(copy);
  return copy.raw;
}
// A number field's value, when its text is a whole number.
std::optional<int> NumberIn(const QLineEdit* field) {
  bool ok = false;
  const int v = field->text().trimmed().toInt(&ok);
  return ok ? std::optional<int>(v) : std::nullopt;
}
// Shows a value, unless the field holds text that is not a number yet: what
// the user typed stays for OK to point out, rather than turning into 0.
void ShowNumber(QLineEdit* field, int value, bool keepTyped) {
  if (keepTyped && !NumberIn(field)) return;
  field->setText(QString::number(value));
}
}  // namespace

ConfigDialog::ConfigDialog(ConfigDialogContext& c, ConfigFields& fields, QWidget* parent)
    : QDialog(parent), c_(c), fields_(fields) {
  setWindowTitle("Collar Configuration");
  const LocalDateTime now = c.clock.now();
  month_ = now.month - 1;
  year_ = std::max(0, std::min(100, now.year - 2000));

  auto* layout = new QVBoxLayout(this);
  std::vector<std::pair<int, QWidget*>> access;
  auto group = [&](int id, const char* title, std::vector<std::tuple<int, int, const char*, QLineEdit*>> rows) {
    auto* g = new ControlGroup(title, this);
    SetControlId(g, id);
    access.push_back({id, g});
    auto* form = new QGridLayout(g);
    int r = 0;
    for (auto& [fieldId, labelId, label, edit] : rows) {
      auto* l = Label(g, labelId, label);
      edit->setParent(g);
      form->addWidget(l, r, 0);
      form->addWidget(edit, r, 1);
      access.push_back({fieldId, edit});
      access.push_back({labelId, l});
      ++r;
    }
    layout->addWidget(g);
  };
  id_ = Text(this, 1052);
  version_ = Text(this, 1053);
  blocks_ = Text(this, 1054);
  onTime_ = Text(this, 1056);
  battery_ = Text(this, 1057);
  fixDuration_ = NumberField(this, 1025, 0);
  validFixes_ = NumberField(this, 1026, 0);
  almanac_ = NumberField(this, 1027, 0);
  id_->setToolTip("The collar's ID, read from the collar or the file.");
  version_->setToolTip("The collar's software version; it decides some fields' meaning.");
  blocks_->setToolTip("Data blocks holding fixes in the collar's memory.");
  onTime_->setToolTip("Hours the GPS receiver has been on in all.");
  battery_->setToolTip("Hours the backup battery has been used.");
  SetRangeTip(fixDuration_, "Seconds the receiver tries for one fix", 1, 255);
  SetRangeTip(validFixes_, "Valid fixes needed before one is stored", 1, 255);
  SetRangeTip(almanac_, "Hours between almanac fixes", 1, 255);
  group(1051, "Collar Identification", {{1052, 1234, "Collar ID", id_}, {1053, 1235, "Collar Software Version", version_}});
  group(1021, "GPS Runtime Statistics",
        {{1054, 1236, "Number of GPS Datablocks:", blocks_},
         {1056, 1237, "Cumulative GPS On Time (hrs)", onTime_},
         {1057, 1238, "Backup Battery Usage (hrs)", battery_}});
  group(1020, "GPS Parameters",
        {{1025, 1239, "Maximum Fix Duration (seconds)", fixDuration_},
         {1026, 1240, "Number of Valid Fixes Required", validFixes_},
         {1027, 1241, "Period Between Almanac Fixes (hrs)", almanac_}});

  // The shared start month and year, never shown.
  monthList_ = new QComboBox(this);
  for (const auto& m : MonthNames()) monthList_->addItem(QString::fromStdString(m));
  SetControlId(monthList_, 1214);
  yearList_ = new QComboBox(this);
  for (const auto& y : YearNames()) yearList_->addItem(QString::fromStdString(y));
  SetControlId(yearList_, 1215);
  monthList_->hide();
  yearList_->hide();
  // An invisible, disabled calendar: only its day of the week is asked for.
  if (hiddenCalendar_.create(this)) {
    hiddenCalendar_.widget()->setGeometry(237, 140, 55, 58);
    hiddenCalendar_.widget()->setEnabled(false);
    hiddenCalendar_.widget()->hide();
    SetControlId(hiddenCalendar_.widget(), 1161);
  }

  auto* buttons = new QGridLayout;
  auto add = [&](int id, const char* text, int row, int col) {
    auto* b = new QPushButton(text, this);
    SetControlId(b, id);
    buttons->addWidget(b, row, col);
    access.push_back({id, b});
    return b;
  };
  auto* mortality = add(1058, "Mortality Settings", 0, 0);
  auto* transmitter = add(1060, "VHF Transmitter Schedule", 0, 1);
  auto* fix = add(1059, "GPS Fix Schedule", 1, 0);
  print_ = add(1206, "Print Collar Configuration", 1, 1);
  auto* activity = add(1036, "Optional Activity Parameters", 2, 0);
  auto* load = add(1230, "Load from File", 2, 1);
  layout->addLayout(buttons);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel_);
  layout->addLayout(row);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  connect(fix, &QPushButton::clicked, this, [this] {
    takeFields();
    ScheduleContext s = scheduleContext();
    GpsFixScheduleDialog d(s, this);
    d.exec();
    showFields();
  });
  connect(transmitter, &QPushButton::clicked, this, [this] {
    takeFields();
    ScheduleContext s = scheduleContext();
    TransmitterScheduleDialog d(s, this);
    d.exec();
    showFields();
  });
  connect(mortality, &QPushButton::clicked, this, [this] {
    takeFields();
    MortalityDialog d(c_.config, c_.viewOnly, c_.state, this);
    d.exec();
    showFields();
  });
  connect(activity, &QPushButton::clicked, this, [this] {
    takeFields();
    ActivityDialog d(c_.prompter, c_.viewOnly, this);
    d.exec();
    showFields();
  });
  connect(print_, &QPushButton::clicked, this, [this] {
    takeFields();
    if (c_.print)
      c_.print(month_, year_, [this](int m, int d, int y) { return calendarDayOfWeek(m, d, y); });
    else
      c_.prompter.notify("Printing is not available in this version of the program yet.", "", PromptIcon::Information);
    showFields();
  });
  connect(load, &QPushButton::clicked, this, &ConfigDialog::loadFromFile);

  if (c.viewOnly) {
    for (QLineEdit* e : {id_, version_, blocks_, onTime_, battery_, fixDuration_, validFixes_, almanac_})
      e->setReadOnly(true);
    cancel_->hide();
  } else {
    print_->hide();
  }
  guard_ = new AccessGuard(c.state, this);
  for (const auto& [id, widget] : access) guard_->add(id, widget);
  // "Optional Activity Parameters" shows only for a level at its edit level.
  guard_->setVisible(activity, guard_->access(activity) == ControlAccess::Usable);
  if (!c.viewOnly) print_->hide();  // printing is offered only when viewing
  showFields(false);
  openingRecord_ = RecordOf(c_.config);
  openingTexts_ = {fixDuration_->text(), validFixes_->text(), almanac_->text()};
}

ScheduleContext ConfigDialog::scheduleContext() {
  return ScheduleContext{c_.config, c_.viewOnly, c_.state, c_.store, c_.prompter, c_.warner, month_, year_, c_.calendar};
}

QLineEdit* ConfigDialog::field(int id) const { return qobject_cast<QLineEdit*>(FindControl(const_cast<ConfigDialog*>(this), id)); }
QPushButton* ConfigDialog::button(int id) const {
  return qobject_cast<QPushButton*>(FindControl(const_cast<ConfigDialog*>(this), id));
}


void ConfigDialog::takeFields() {
  fields_.collarId = id_->text().toStdString();
  fields_.softwareVersion = version_->text().toStdString();
  fields_.dataBlockCount = blocks_->text().toStdString();
  fields_.cumulativeGpsOnHours = onTime_->text().toStdString();
  fields_.backupBatteryHours = battery_->text().toStdString();
  if (auto v = NumberIn(fixDuration_)) fields_.maxFixDurationSeconds = *v;
  if (auto v = NumberIn(validFixes_)) fields_.validFixesRequired = *v;
  if (auto v = NumberIn(almanac_)) fields_.almanacPeriodHours = *v;
  monthList_->setCurrentIndex(month_);
  yearList_->setCurrentIndex(year_);
}

void ConfigDialog::showFields(bool keepTyped) {
  id_->setText(QString::fromStdString(fields_.collarId));
  version_->setText(QString::fromStdString(fields_.softwareVersion));
  blocks_->setText(QString::fromStdString(fields_.dataBlockCount));
  onTime_->setText(QString::fromStdString(fields_.cumulativeGpsOnHours));
  battery_->setText(QString::fromStdString(fields_.backupBatteryHours));
  ShowNumber(fixDuration_, fields_.maxFixDurationSeconds, keepTyped);
  ShowNumber(validFixes_, fields_.validFixesRequired, keepTyped);
  ShowNumber(almanac_, fields_.almanacPeriodHours, keepTyped);
  monthList_->setCurrentIndex(month_);
  yearList_->setCurrentIndex(year_);
}

bool ConfigDialog::changed() const {
  const std::vector<QString> now = {fixDuration_->text(), validFixes_->text(), almanac_->text()};
  return now != openingTexts_ || RecordOf(c_.config) != openingRecord_;
}

void ConfigDialog::loadFromFile() {
  takeFields();
  const uint32_t id = c_.config.collarId;
  const auto path = c_.files.openFile("Load from File", ConfigBackupDir(c_.state.programDirectory) + "*.cfg",
                                      "Collar config. files (*.cfg);;All Files (*.*)", "cfg");
  if (!path) return;
  // A file that cannot be read is reported and changes nothing.
  if (ReadConfig(*path, c_.config, c_.prompter) != ConfigFileStatus::Ok) return;
  c_.config.collarId = id;  // the collar shown stays the collar addressed
  fields_ = FieldsFrom(c_.config);
  showFields(false);
}

int ConfigDialog::calendarDayOfWeek(int month, int day, int year) {
  if (hiddenCalendar_.valid()) {
    short m = static_cast<short>(month), d = static_cast<short>(day), y = static_cast<short>(year);
    return hiddenCalendar_.GetDayofWeek(&m, &d, &y);
  }
  return calendar::DayOfWeek(month, day, year);
}

void ConfigDialog::accept() {
  // A field the user cannot edit (hidden or locked) is not checked: it
  // keeps the record's value and never blocks OK.
  std::optional<int> v;
  if (!ReadField(fixDuration_, 1, 255, c_.prompter, &v) || !ReadField(validFixes_, 1, 255, c_.prompter, &v) ||
      !ReadField(almanac_, 1, 255, c_.prompter, &v))
    return;
  takeFields();
  QDialog::accept();
}

void ConfigDialog::reject() {
  if (!c_.viewOnly && changed() &&
      c_.prompter.ask("Discard your changes?", "Collar Configuration", PromptIcon::Question, PromptButtons::YesNo,
                      {"The changes made to this configuration are lost unless you press OK.", PromptAnswer::No}) !=
          PromptAnswer::Yes)
    return;
  c_.commands.postCommand(kCmdCollarCommands);
  QDialog::reject();
}

}  // namespace zelkor
