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
};

class ScriptedPrompter : public Prompter {
 public:
  void notify(const std::string& text, const std::string& caption, PromptIcon icon) override {
    messages.push_back({text, caption, icon, false, PromptButtons::Ok});
  }
  PromptAnswer ask(const std::string& text, const std::string& caption, PromptIcon icon,
                   PromptButtons buttons) override {
    messages.push_back({text, caption, icon, true, buttons});
    if (answers.empty()) return PromptAnswer::Cancel;
    const PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  std::vector<Message> messages;
  std::deque<PromptAnswer> answers;
};

}  // namespace zelkor::testing
