// A prompter that records every message and plays back scripted answers.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/prompter.h"

namespace zelkor::testing {

struct Message {
  std::string text;
  std::string caption;
  PromptIcon icon;
  bool question;
  PromptButtons buttons;
  PromptOptions more;
};

class ScriptedPrompter : public Prompter {
 public:
  void notify(const std::string& text, const std::string& caption, PromptIcon icon,
              const PromptOptions& more = {}) override {
    messages.push_back({text, caption, icon, false, PromptButtons::Ok, more});
  }
  PromptAnswer ask(const std::string& text, const std::string& caption, PromptIcon icon, PromptButtons buttons,
                   const PromptOptions& more = {}) override {
    messages.push_back({text, caption, icon, true, buttons, more});
    if (answers.empty()) return PromptAnswer::Cancel;
    const PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  // The texts of every message, in order, for failure output.
  std::string all() const {
    std::string s;
    for (const auto& m : messages) s += "[" + m.caption + "] " + m.text + (m.more.details.empty() ? "" : " | " + m.more.details) + "\n";
    return s;
  }
  bool saw(const std::string& fragment) const {
    for (const auto& m : messages)
      if (m.text.find(fragment) != std::string::npos || m.more.details.find(fragment) != std::string::npos) return true;
    return false;
  }

  std::vector<Message> messages;
  std::deque<PromptAnswer> answers;
};

}  // namespace zelkor::testing
