#include "print/print_job.h"
#include "print/summary_page.h"

#include <algorithm>
#include <cmath>

#include "calendar/calendar_model.h"
#include "util/text.h"

namespace zelkor {

namespace {
bool SwitchOn(const SettingsStore& store, const char* name) {
  const SettingsValue v = store.read(kPrintSettingsKey, name);
  return !v.present() || AtoiRules(v.text) == 1;
}

std::string DateLine(const LocalDateTime& t) { return Format("%d/%d/%d", t.month, t.day, t.year); }
std::string YesNo(bool b) { return b ? "Yes" : "No"; }

void Centred(PageCanvas& c, int y, const std::string& text) {
  const TextSize s = c.textExtent(text);
  c.text(c.pageWidth() / 2 - s.width / 2, y, text);
}
}  // namespace

PrintOptions ReadPrintOptions(const SettingsStore& store) {
  PrintOptions o;
  o.collarConfig = SwitchOn(store, "Print Collar Config");
  o.transmitterCalendar = SwitchOn(store, "Print Trans Cal");
  o.auxCalendar = SwitchOn(store, "Print Aux Cal");
  const SettingsValue project = store.read(kPrintSettingsKey, "VHF Trans Cal");
  o.projectText = project.status == ReadStatus::Unreadable ? " " : project.text;
  return o;
}

void StorePrintOptions(SettingsStore& store, Prompter& prompter, const PrintOptions& o) {
  const std::pair<const char*, std::string> writes[] = {
      {"Print Collar Config", o.collarConfig ? "1" : "0"},
      {"Print Aux Cal", o.auxCalendar ? "1" : "0"},
      {"Print Trans Cal", o.transmitterCalendar ? "1" : "0"},
      {"VHF Trans Cal", Utf8Prefix(o.projectText, 35)},
  };
  for (const auto& [name, value] : writes)
    if (!store.write(kPrintSettingsKey, name, value)) prompter.notify(kPrintSettingsWriteFailed, "", PromptIcon::Error);
}

PrintInputs ReadPrintInputs(const CollarConfig& config, const SettingsStore& store, const Clock& clock,
                            CalendarStart start) {
  PrintInputs in;
  in.config = config;
  in.options = ReadPrintOptions(store);
  const SettingsValue text = store.read(kSettingsKey, "Offset UTC Text");
  in.offsetText = text.status == ReadStatus::Unreadable ? "Error Reading from register" : text.text;
  const SettingsValue hours = store.read(kSettingsKey, "Hours");
  in.utcOffsetHours = hours.present() ? AtoiRules(hours.text) : 0;
  in.now = clock.now();
  if (!start.set()) {
    // Printed before any start was chosen: the calendars begin this month.
    start.month = in.now.month;
    start.year = in.now.year;
    start.weekday = calendar::DayOfWeek(start.month, 1, start.year);
  }
  in.start = start;
  return in;
}

std::string ReportHour(int utcHour, int offset, bool wrapAbove23) {
  int h = utcHour + offset;
  if (h < 0) h += 24;
  if (wrapAbove23 ? h > 23 : h > 24) h -= 24;
  return Format("%u:00", static_cast<unsigned>(h));
}

std::pair<std::string, std::string> SplitOffsetText(const std::string& text) {
  const size_t close = text.find(')');
  if (close == std::string::npos) return {"", ""};
  const std::string first = text.substr(0, close + 1);
  const std::string rest = close + 2 <= text.size() ? text.substr(close + 2) : std::string();
  return {first, rest};
}

void PrintFooter(PageCanvas& c, const LocalDateTime& now) {
  c.setFont(PrintFont::Plain);
  const TextSize company = c.textExtent("Nalvik, Inc.");
  const std::string version = "Zelkor Version  1.2.3";
  // The three lines share one left edge, placed so that the widest of
  // them still ends inside the page.
  const int widest = std::max({company.width, c.textExtent(version).width, c.textExtent(DateLine(now)).width});
  const int x = c.pageWidth() - widest;
  const int lh = company.height;
  const int h = c.pageHeight();
  c.text(x, h - 3 * lh, DateLine(now));
  c.text(x, h - 2 * lh, "Nalvik, Inc.");
  c.text(x, h - lh, version);
}

void PrintConfigurationReport(PageCanvas& c, const PrintInputs& in) {
  const CollarConfig& cfg = in.config;
  c.startPage();
  c.setFont(PrintFont::Plain);
  // 45 lines must fit the page: the font is made smaller until they do.
  TextSize w = c.textExtent("W");
  for (double scale = 1.0; w.height > 0 && 45 * w.height > c.pageHeight() && scale > 0.05;) {
    scale *= 0.9;
    c.setFontScale(scale);
    w = c.textExtent("W");
  }
  const int lh = w.height;
  const int col = c.pageWidth() / 12;
  int y = 0;
  Centred(c, y, "NVK GPS COLLAR CONFIGURATION REPORT");
  y += lh;
  Centred(c, y, Format("CollarID  %u   %s   %d:%02d:%02d", cfg.collarId, DateLine(in.now).c_str(), in.now.hour,
                       in.now.minute, in.now.second));
  y += lh;
  Centred(c, y, in.options.projectText);
  y += 2 * lh;

  auto heading = [&](const char* text) { c.text(col, y, text); };
  auto row = [&](int indent, const std::string& reference, const std::string& label, const std::string& value) {
    y += lh;
    c.text(indent, y, label);
    c.text(indent + c.textExtent(reference).width + col, y, value);
  };
  auto offsetRows = [&](int indent, const std::string& reference) {
    const auto [first, second] = SplitOffsetText(in.offsetText);
    row(indent, reference, "Offset from UTC", first);
    y += lh;
    c.text(indent + c.textExtent(reference).width + col, y, second);
  };
  auto endSection = [&] { y += 2 * lh; };
  auto u = [](unsigned v) { return Format("%u", v); };

  heading("Collar Identification");
  row(2 * col, "Software Version", "ID", u(cfg.collarId));
  row(2 * col, "Software Version", "Software Version", u(cfg.softwareVersion));
  endSection();

  heading("GPS Runtime Statistics");
  const std::string stats = "Cumulative GPS on Time (hrs)";
  row(2 * col, stats, "Number of DataBlocks", u(cfg.dataBlockCount));
  row(2 * col, stats, "Cumulative GPS on Time (hrs)", u(cfg.cumulativeGpsOnHours));
  row(2 * col, stats, "Backup Battery Usage (hrs)", u(cfg.backupBatteryHours));
  endSection();

  heading("GPS Parameters");
  const std::string params = "Period Between Almanac Fixes (hrs)";
  row(2 * col, params, "Maximum Fix Duration (secs)", u(cfg.maxFixDurationSeconds));
  row(2 * col, params, "Number of Valid Fixes Required", u(cfg.validFixesRequired));
  row(2 * col, params, "Period Between Almanac Fixes (hrs)", u(cfg.almanacPeriodHours));
  endSection();

  heading("Mortality");
  y += lh;
  c.text(2 * col, y, "Enabled");
  c.text(3 * col, y, YesNo(cfg.mortalityEnabled));
  if (cfg.mortalityEnabled) {
    const std::string ref = "Hours of Inactivity to Trigger";
    row(2 * col, ref, "Sticky", YesNo(cfg.holdInMortality));
    row(2 * col, ref, "Slow", YesNo(cfg.slowMortality));
    row(2 * col, ref, "Duty Cycle Override", YesNo(cfg.dutyCycleOverride));
    row(2 * col, ref, "Hours of Inactivity to Trigger", Format("%d", static_cast<int>(cfg.mortalityTriggerHours)));
  }
  endSection();

  heading("VHF Transmitter Schedule");
  const std::string vhf = "Offset from UTC";
  row(2 * col, vhf, "On Time", ReportHour(cfg.transmitterOnHourUtc, in.utcOffsetHours, false));
  row(2 * col, vhf, "Off Time", ReportHour(cfg.transmitterOffHourUtc, in.utcOffsetHours, true));
  {
    const bool release = cfg.softwareVersion > 199;
    const std::string label =
        release ? "Number of Days until release  " : "Hrs VHF Transmitter remains on after power up or CU contact";
    const int value = release ? static_cast<int>(cfg.releaseHours / 24) : cfg.transmitterOnAfterPowerUpHours;
    y += lh;
    c.text(2 * col, y, label);
    const int lw = c.textExtent(label).width;
    c.text(2 * col + lw + lw / 59, y, Format("%d", value));
  }
  offsetRows(2 * col, vhf);
  endSection();

  heading("Primary GPS Fix Schedule");
  row(2 * col, "Fix Retries", "Fix Rate", Format("%u hrs %u mins", cfg.primaryRateHours, cfg.primaryRateMinutes));
  row(2 * col, "Fix Retries", "Fix Retries", YesNo(cfg.retriesEnabled));
  if (cfg.retriesEnabled) {
    row(3 * col, "Retry Delay (mins)", "Retry Delay (mins)", u(cfg.retryDelayMinutes));
    row(3 * col, "Retry Delay (mins)", "Maximum Retries", u(cfg.maxRetries));
  }
  endSection();

  heading("Auxiliary GPS Fix Schedule");
  bool auxOn = false;
  for (bool d : cfg.auxWeekdays) auxOn |= d;
  row(2 * col, "Enabled", "Enabled", YesNo(auxOn));
  if (auxOn) {
    const std::string ref = "Offset from UTC";
    row(3 * col, ref, "Fix Rate", Format("%u hrs %u mins", cfg.auxRateHours, cfg.auxRateMinutes));
    row(3 * col, ref, "Fix Retries", YesNo(cfg.auxRetriesEnabled));
    if (cfg.auxRetriesEnabled) {
      row(4 * col, "Retry Delay (mins)", "Retry Delay (mins)", u(cfg.auxRetryDelayMinutes));
      row(4 * col, "Retry Delay (mins)", "Maximum Retries", u(cfg.auxMaxRetries));
    }
    row(3 * col, ref, "Start Time", ReportHour(cfg.auxStartHourUtc, in.utcOffsetHours, false));
    row(3 * col, ref, "Stop Time", ReportHour(cfg.auxStopHourUtc, in.utcOffsetHours, false));
    offsetRows(3 * col, ref);
  }
  PrintFooter(c, in.now);
  c.setFontScale(1.0);
  c.endPage();
}

namespace {
const char* kMonthTitles[] = {"January ", "February ", "March ",     "April ",   "May ",      "June ",
                              "July ",    "August ",   "September ", "October ", "November ", "December "};
const char* kWeekLetters[] = {"S", "M", "T", "W", "T", "F", "S"};
}  // namespace

void PrintCalendarPage(PageCanvas& c, const PrintInputs& in, CalendarPageKind kind) {
  const CollarConfig& cfg = in.config;
  const bool trans = kind == CalendarPageKind::Transmitter;
  c.startPage();
  c.setFont(PrintFont::Plain);
  const std::string title = trans ? "VHF Transmitter Schedule" : "Auxiliary GPS Fix Schedule";
  const int lh = c.textExtent(title).height;
  Centred(c, 0, title);
  Centred(c, 2 * lh, Format("Collar ID %u", cfg.collarId));
  const std::string timeLine =
      trans ? "On Time " + ReportHour(cfg.transmitterOnHourUtc, in.utcOffsetHours, true) + " Off Time " +
                  ReportHour(cfg.transmitterOffHourUtc, in.utcOffsetHours, true)
            : "Start Time " + ReportHour(cfg.auxStartHourUtc, in.utcOffsetHours, true) + " Stop Time " +
                  ReportHour(cfg.auxStopHourUtc, in.utcOffsetHours, true);
  Centred(c, 3 * lh, timeLine);
  Centred(c, 4 * lh, in.offsetText);
  Centred(c, 5 * lh, in.options.projectText);

  // The grid: 3 boxes across, 4 down, half an inch from the sides and an
  // inch from top and bottom.
  const double W = c.pageWidth(), H = c.pageHeight(), Dx = c.dpiX(), Dy = c.dpiY();
  const double L = Dx / 2, R = W - Dx / 2, T = Dy, B = H - Dy;
  auto I = [](double v) { return static_cast<int>(v); };
  c.rectangle(I(L), I(T), I(R), I(B));
  for (int k = 1; k <= 3; ++k) c.line(I(L), I(T + k * (B - T) / 4), I(R), I(T + k * (B - T) / 4));
  for (int k = 1; k <= 2; ++k) c.line(I(L + k * (R - L) / 3), I(T), I(L + k * (R - L) / 3), I(B));
  const double BW = (R - L) / 3, BH = (B - T) / 4;
  const TextSize nn = c.textExtent("99");
  const double dw = nn.width, dh = nn.height;
  const double g = (BW - 7 * dw) / 8, r = (BH - 8 * dh) / 9;
  auto colX = [&](int i) { return L + g + i * (dw + g); };
  auto rowY = [&](int k) { return T + BH - (7 - k) * (dh + r); };
  const QuarterGrid& days = trans ? cfg.transmitterDays : cfg.auxDays;
  const WeekdayFlags& weekdays = trans ? cfg.transmitterWeekdays : cfg.auxWeekdays;

  int month = in.start.month, year = in.start.year;
  int column = in.start.weekday - 1;
  for (int n = 1; n <= 12; ++n) {
    const double ox = ((n - 1) % 3) * BW, oy = ((n - 1) / 3) * BH;
    c.setFont(PrintFont::Plain);
    const std::string monthTitle =
        (month >= 1 && month <= 12 ? kMonthTitles[month - 1] : "Error ") + std::to_string(year);
    const TextSize ts = c.textExtent(monthTitle);
    c.text(I(L + ox + (BW - ts.width) / 2), I(T + r + oy), monthTitle);
    for (int i = 0; i < 7; ++i) c.text(I(ox + colX(i)), I(oy + rowY(0)), kWeekLetters[i]);
    int week = 1;
    const int length = month >= 1 && month <= 12 ? calendar::DaysIn(month, year) : 0;
    for (int d = 1; d <= length; ++d) {
      const int weekday = (column % 7 + 7) % 7;  // 0 = Sunday
      const bool marked = weekdays[static_cast<size_t>(weekday)] && days.day(month, d);
      c.setFont(marked ? PrintFont::Marked : trans ? PrintFont::Plain : PrintFont::UnmarkedItalic);
      c.text(I(ox + colX(column)), I(oy + rowY(week)), Format("%d", d));
      if (++column > 6) {
        column = 0;
        ++week;
      }
    }
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  c.setFont(PrintFont::Marked);
  c.text(I(Dx / 2), I(H - Dy) + I(1.25 * lh), trans ? "VHF Transmitter Schedule On" : "Auxiliary Schedule Enabled");
  PrintFooter(c, in.now);
  c.endPage();
}

int RunPrintJob(PageCanvas& canvas, const PrintInputs& in) {
  int pages = 0;
  if (in.options.transmitterCalendar) {
    PrintCalendarPage(canvas, in, CalendarPageKind::Transmitter);
    ++pages;
  }
  if (in.options.auxCalendar) {
    PrintCalendarPage(canvas, in, CalendarPageKind::Auxiliary);
    ++pages;
  }
  if (in.options.collarConfig) {
    PrintConfigurationReport(canvas, in);
    ++pages;
  }
  if (in.options.seasonSummary && in.summary) {
    PrintSummaryPage(canvas, *in.summary, in.now);
    ++pages;
  }
  if (in.options.seasonMap && in.seasonMap) {
    PrintSeasonMapPage(canvas, *in.seasonMap, in.seasonMapCollar, in.now);
    ++pages;
  }
  return pages;
}

}  // namespace zelkor
