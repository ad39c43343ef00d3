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

  // The bars: scheduled attempts as a pale bar, the fixes obtained as a
  // dark narrower bar in front of it, a gap between neighbours. On paper a
  // bar is at least a millimetre wide: a long season is drawn by weeks (or
  // more days to a bar) rather than as bars that run together.
  if (!s.days.empty()) {
    const int top0 = y + 2 * lh;
    const int bottom = std::min(c.pageHeight() - 5 * lh, top0 + c.dpiY() * 3);
    const int axisRoom = c.textExtent("00000").width + c.dpiX() / 10;
    const int width = right - left - axisRoom;
    const int minimumBar = std::max(1, c.dpiX() / 25);
    const size_t perBar = std::max<size_t>(1, (s.days.size() * minimumBar + width - 1) / std::max(1, width));
    struct Bar {
      int64_t firstDay = 0;
      int scheduled = 0;
      int obtained = 0;
    };
    std::vector<Bar> bars;
    for (size_t i = 0; i < s.days.size(); ++i) {
      if (i % perBar == 0) bars.push_back({s.days[i].day, 0, 0});
      bars.back().scheduled += s.days[i].scheduled;
      bars.back().obtained += s.days[i].obtained;
    }
    c.setFont(PrintFont::Marked);
    c.text(left, y,
           perBar == 1 ? std::string("Fixes per day (UTC): scheduled (grey) and obtained (black)")
                       : Format("Fixes per %zu days (UTC): scheduled (grey) and obtained (black)", perBar));
    c.setFont(PrintFont::Plain);
    const int top = top0;
    int most = 1;
    for (const Bar& b : bars) most = std::max({most, b.scheduled, b.obtained});
    const std::string mostText = std::to_string(most);
    const int axis = left + axisRoom;
    c.text(left, top - lh / 2, mostText);
    c.text(left, bottom - lh / 2, "0");
    c.line(axis, top, axis, bottom);
    c.line(axis, bottom, right, bottom);
    const double step = static_cast<double>(right - axis) / bars.size();
    auto height = [&](int count) { return static_cast<int>((bottom - top) * static_cast<double>(count) / most); };
    for (size_t i = 0; i < bars.size(); ++i) {
      const int slot0 = axis + static_cast<int>(i * step);
      const int slot1 = axis + static_cast<int>((i + 1) * step);
      const int gap = std::max(1, (slot1 - slot0) * 3 / 10);
      const int x0 = slot0 + gap / 2 + 1, x1 = slot1 - (gap - gap / 2);
      if (x1 <= x0) continue;
      const Bar& b = bars[i];
      if (b.scheduled) c.fillRectangle(x0, bottom - height(b.scheduled), x1, bottom, 200);
      const int inset = (x1 - x0) / 5;
      if (b.obtained) c.fillRectangle(x0 + inset, bottom - height(b.obtained), x1 - inset, bottom, 40);
    }
    c.text(axis, bottom + lh / 2, DayText(s.days.front().day));
    const std::string last = DayText(s.days.back().day);
    c.text(right - c.textExtent(last).width, bottom + lh / 2, last);
  }
  PrintFooter(c, now);
  c.endPage();
}

void PrintSeasonMapPage(PageCanvas& c, const CanvasImage& map, uint32_t collarId, const LocalDateTime& now) {
  c.startPage();
  c.setFont(PrintFont::Marked);
  const int lh = c.textExtent("Ag").height;
  const int left = c.dpiX() / 2, right = c.pageWidth() - c.dpiX() / 2;
  int y = c.dpiY() / 2;
  const std::string title = Format("Season Map, Collar %u", collarId);
  c.text((c.pageWidth() - c.textExtent(title).width) / 2, y, title);
  y += 2 * lh;
  // The map at its own shape, as wide as the margins allow and above the
  // footer.
  const int bottom = c.pageHeight() - 4 * lh;
  if (map.width > 0 && map.height > 0 && bottom > y) {
    int width = right - left;
    int height = static_cast<int>(static_cast<int64_t>(width) * map.height / map.width);
    if (height > bottom - y) {
      height = bottom - y;
      width = static_cast<int>(static_cast<int64_t>(height) * map.width / map.height);
    }
    const int x = (c.pageWidth() - width) / 2;
    c.image(x, y, x + width, y + height, map);
    c.rectangle(x, y, x + width, y + height);
  }
  PrintFooter(c, now);
  c.endPage();
}

}  // namespace zelkor
