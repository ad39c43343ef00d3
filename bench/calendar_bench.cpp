// Repainting both calendar views from the pattern for a two-year window
// (the switch to the Year tab), and a month change.
#include <benchmark/benchmark.h>

#include <map>

#include "calendar/calendar_model.h"

namespace {

using namespace zelkor::calendar;

class NoColours : public ColourStore {
 public:
  std::optional<std::string> read(const std::string&) override { return std::nullopt; }
  void write(const std::string&, const std::string&) override {}
};

CalendarModel Prepared() {
  CalendarModel m;
  m.startMonth = 5;
  m.startYr = 2026;
  NoColours colours;
  m.SetUpControl(true, true, colours);
  for (int month = 1; month <= 12; ++month)
    for (int q = 0; q < 4; q += 2) m.LoadCheckedDaysArray(month, q, 1);
  for (int b = 0; b < 5; ++b) m.LoadWeekDay(true, b);
  m.MonthChanged(5, 2026);
  m.UpdateControl();
  return m;
}

void BM_YearTabRepaint(benchmark::State& state) {
  CalendarModel m = Prepared();
  for (auto _ : state) {
    m.TabChanged(1);  // back to Month: the year view is stale again
    m.TabChanged(0);  // to Year: every day of both years by the pattern
  }
}
BENCHMARK(BM_YearTabRepaint)->Unit(benchmark::kMicrosecond);

void BM_MonthChange(benchmark::State& state) {
  CalendarModel m = Prepared();
  int month = 5;
  for (auto _ : state) {
    month = month % 12 + 1;
    m.MonthChanged(month, 2026);
  }
}
BENCHMARK(BM_MonthChange)->Unit(benchmark::kMicrosecond);

}  // namespace
