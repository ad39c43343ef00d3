// A LinkRunner that records requests and plays back scripted results.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "link/link_runner.h"

namespace zelkor::testing {

class FakeLink : public LinkRunner {
 public:
  LinkResult run(const LinkParams& params) override {
    requests.push_back(params);
    if (onRun) onRun(params);
    if (results.empty()) return {};
    const LinkResult r = results.front();
    results.pop_front();
    return r;
  }
  std::vector<LinkParams> requests;
  std::deque<LinkResult> results;
  std::function<void(const LinkParams&)> onRun;  // e.g. to write the received file
};

}  // namespace zelkor::testing
