#include "print/summary_page.h"

#include <algorithm>

#include "gpsdata/fix_time.h"
#include "print/print_job.h"
#include "util/text.h"

namespace zelkor {

namespace {
std::string DayText(int64_t day) {
  int y, m, d;
  CivilFromDays(day, &y, &m, &d);
  return Format("%04d-%02d-%02d", y, m, d);
}
}  // namespace

void PrintSummaryPage(PageCanvas& c, const SeasonSummary& s, const LocalDateTime& now) {
  c.startPage();
  c.setFont(PrintFont::Marked);
  const int lh = c.textExtent("Ag").height;
  const int left = c.dpiX() / 2, right = c.pageWidth() - c.dpiX() / 2;
  int y = c.dpiY() / 2;
  const std::string title = Format("Season Summary, Collar %u", s.collarId);
  c.text((c.pageWidth() - c.textExtent(title).width) / 2, y, title);
  y += 2 * lh;

  c.setFont(PrintFont::Plain);
  const auto figures = SummaryFigures(s);
  int labelWidth = 0;
  for (const auto& f : figures) labelWidth = std::max(labelWidth, c.textExtent(f.first + ":").width);
  for (const auto& [label, value] : figures) {
    c.text(left, y, label + ":");
    c.text(left + labelWidth + c.dpiX() / 4, y, value);
    y += lh + lh / 4;
  }
  y += lh;

  // The bars: scheduled attempts as an outline, the fixes obtained as a
  // narrower bar inside it.
  if (!s.days.empty()) {
    c.setFont(PrintFont::Marked);
    c.text(left, y, "Fixes per day: scheduled (wide outline) and obtained (narrow bar), UTC days");
    y += 2 * lh;
    c.setFont(PrintFont::Plain);
    const int top = y, bottom = std::min(c.pageHeight() - 5 * lh, y + c.dpiY() * 3);
    int most = 1;
    for (const SummaryDay& d : s.days) most = std::max({most, d.scheduled, d.obtained});
    const std::string mostText = std::to_string(most);
    const int axis = left + c.textExtent(mostText).width + c.dpiX() / 10;
    c.text(left, top - lh / 2, mostText);
    c.text(left, bottom - lh / 2, "0");
    c.line(axis, top, axis, bottom);
    c.line(axis, bottom, right, bottom);
    const double step = static_cast<double>(right - axis) / s.days.size();
    auto height = [&](int count) { return static_cast<int>((bottom - top) * static_cast<double>(count) / most); };
    for (size_t i = 0; i < s.days.size(); ++i) {
      const int x0 = axis + static_cast<int>(i * step) + 1;
      const int x1 = axis + static_cast<int>((i + 1) * step) - 1;
      if (x1 <= x0) continue;
      const SummaryDay& d = s.days[i];
      if (d.scheduled) c.rectangle(x0, bottom - height(d.scheduled), x1, bottom);
      const int inset = (x1 - x0) / 4;
      for (int h = height(d.obtained), x = x0 + inset; h > 0 && x <= x1 - inset; ++x) c.line(x, bottom - h, x, bottom);
    }
    c.text(axis, bottom + lh / 2, DayText(s.days.front().day));
    const std::string last = DayText(s.days.back().day);
    c.text(right - c.textExtent(last).width, bottom + lh / 2, last);
  }
  PrintFooter(c, now);
  c.endPage();
}

}  // namespace zelkor
