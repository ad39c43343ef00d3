#include "calendar_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/collar_config.h"
#include "schedule_context.h"

namespace zelkor {

namespace {
// Dialog units of the template, in pixels of the platform's dialog font.
int DluX(int x) { return x * 3 / 2; }
int DluY(int y) { return y * 13 / 8; }

// Box i of the control (0 = Monday ... 6 = Sunday) is configuration week-day
// (i + 1) mod 7 (0 = Sunday).
size_t WeekdayOfBox(int box) { return static_cast<size_t>((box + 1) % 7); }

QString Rate(const QString& hours, const QString& minutes) { return hours + " hrs " + minutes + " min"; }
}  // namespace

CalendarDialog::CalendarDialog(const CalendarRequest& r, Prompter& prompter, QWidget* parent)
    : QDialog(parent), request_(r), prompter_(prompter) {
  const bool aux = r.kind == CalendarKind::Auxiliary;
  setWindowTitle(aux ? "GPS Fix Schedule" : "Transmitter Schedule");
  // The control gets all the room its views need (the year view's twelve
  // months and the legend side by side), at least the template's size.
  auto* layout = new QVBoxLayout(this);
  calendar_.create(this);
  if (QWidget* w = calendar_.widget()) layout->addWidget(w, 1);
  auto* ok = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  const QSize natural = sizeHint();
  resize(std::max(natural.width(), DluX(356)), std::max(natural.height(), DluY(264)));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CalendarDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &CalendarDialog::reject);

  int enabled = r.viewOnly ? 0 : 1;
  if (r.viewOnly) cancel_->hide();
  int month = r.startMonth;
  if (month > 12) month -= 12;
  calendar_.SetStartMonth(static_cast<short>(month));
  calendar_.SetStartYr(static_cast<short>(r.startYear));
  calendar_.SetStartTimeLabel(aux ? "Start Time" : "On Time");
  calendar_.SetStartTimeValue(QString::number(r.startHour));
  calendar_.SetStopTimeLabel(aux ? "Stop Time" : "Off Time");
  calendar_.SetStopTimeValue(QString::number(r.stopHour));
  if (aux) {
    calendar_.SetPrimeRate(Rate(QString::number(r.primaryRateHours), QString::number(r.primaryRateMinutes)));
    calendar_.SetAuxRate(Rate(QString::number(r.auxRateHours), QString::number(r.auxRateMinutes)));
  } else {
    calendar_.SetPrimeRate(Rate("", ""));
    calendar_.SetAuxRate(Rate("", ""));
  }
  const CollarConfig& c = *r.config;
  const QuarterGrid& days = aux ? c.auxDays : c.transmitterDays;
  const WeekdayFlags& weekdays = aux ? c.auxWeekdays : c.transmitterWeekdays;
  for (short m = 1; m <= 12; ++m)
    for (short q = 0; q < 4; ++q) {
      short v = days.day(m, FirstDayOfQuarter(q)) ? 1 : 0;
      calendar_.LoadCheckedDaysArray(&m, &q, &v);
    }
  for (short box = 0; box < 7; ++box) {
    int v = weekdays[WeekdayOfBox(box)] ? 1 : 0;
    calendar_.LoadWeekDay(&v, &box);
  }
  int auxMode = aux ? 1 : 0;
  calendar_.SetUpControl(&enabled, &auxMode);
  calendar_.UpdateControl();
}

void CalendarDialog::accept() {
  // Without the control there is no pattern to take: write nothing.
  if (!request_.viewOnly && request_.config && calendar_.valid()) {
    CollarConfig& c = *request_.config;
    const bool aux = request_.kind == CalendarKind::Auxiliary;
    WeekdayFlags& weekdays = aux ? c.auxWeekdays : c.transmitterWeekdays;
    QuarterGrid& days = aux ? c.auxDays : c.transmitterDays;
    for (short box = 0; box < 7; ++box) weekdays[WeekdayOfBox(box)] = calendar_.ReadWeekDay(&box) != 0;
    for (short m = 1; m <= 12; ++m)
      for (short q = 0; q < 4; ++q) days.setQuarter(m, q, calendar_.ReadCheckedDaysArray(&m, &q) != 0);
  }
  QDialog::accept();
}

void CalendarDialog::reject() {
  if (prompter_.ask(kCalendarCancelQuestion, "Calendar", PromptIcon::Question, PromptButtons::YesNo) ==
      PromptAnswer::Yes)
    QDialog::reject();
}

void OpenScheduleCalendar(const CalendarRequest& request, Prompter& prompter, QWidget* parent) {
  if (!CNVKCalendar::FindFactory()) {
    CalendarNotInstalled(prompter);
    return;
  }
  // The wait cursor shows while the control is made and loaded, and stays
  // on the window that opened the calendar while the calendar is open; the
  // calendar itself keeps the ordinary pointer for the user's work.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  CalendarDialog dialog(request, prompter, parent);
  QApplication::restoreOverrideCursor();
  if (parent) parent->setCursor(Qt::WaitCursor);
  dialog.exec();
  if (parent) parent->unsetCursor();
}

}  // namespace zelkor
