// The season summary as a printed page: the figures, then a bar per day of
// the attempts the schedule called for and the fixes obtained.
#pragma once

#include "analysis/season_summary.h"
#include "app/clock.h"
#include "print/page_canvas.h"

namespace zelkor {

void PrintSummaryPage(PageCanvas& canvas, const SeasonSummary& summary, const LocalDateTime& now);

}  // namespace zelkor
