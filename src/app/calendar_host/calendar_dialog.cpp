#include "calendar_dialog.h"

#include <QPushButton>

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
  setFixedSize(DluX(356), DluY(264));
  calendar_.create(this);
  if (QWidget* w = calendar_.widget()) w->setGeometry(DluX(1), DluY(1), DluX(355), DluY(260) - DluY(40));
  auto* ok = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  ok->setGeometry(DluX(294), DluY(226), DluX(50), DluY(14));
  cancel_->setGeometry(DluX(294) - DluX(56), DluY(226), DluX(50), DluY(14));
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
  if (!request_.viewOnly && request_.config) {
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
  CalendarDialog dialog(request, prompter, parent);
  dialog.exec();
}

}  // namespace zelkor
