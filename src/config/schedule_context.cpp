#include "schedule_context.h"

namespace zelkor {

void CalendarNotInstalled(Prompter& prompter) {
  prompter.notify(
      "The calendar component is not installed, so the schedule calendar cannot be shown. The rest of the "
      "configuration can still be viewed and edited.",
      "Calendar", PromptIcon::Warning);
}

}  // namespace zelkor
