// Records queued command numbers instead of running them.
#pragma once

#include <vector>

#include "app/command_ids.h"

namespace zelkor::testing {

class RecordingSink : public CommandSink {
 public:
  void postCommand(int id) override { posted.push_back(id); }
  std::vector<int> posted;
};

}  // namespace zelkor::testing
