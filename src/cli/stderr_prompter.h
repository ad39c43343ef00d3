// Messages of the shared workflows, written to stderr instead of shown in
// boxes. Questions take the answer given on the command line.
#pragma once

#include <cstdio>
#include <functional>

#include "app/prompter.h"

namespace zelkor::cli {

class StderrPrompter : public Prompter {
 public:
  void notify(const std::string& text, const std::string& caption, PromptIcon,
              const PromptOptions& more = {}) override {
    if (caption.empty())
      std::fprintf(stderr, "%s\n", text.c_str());
    else
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (!more.details.empty()) std::fprintf(stderr, "  %s\n", more.details.c_str());
  }
  PromptAnswer ask(const std::string& text, const std::string& caption, PromptIcon icon, PromptButtons,
                   const PromptOptions& more = {}) override {
    notify(text, caption, icon, more);
    const PromptAnswer a = answer ? answer(text) : PromptAnswer::No;
    std::fprintf(stderr, "  -> %s\n", answerName(a));
    return a;
  }

  // Answers questions from the command line's choices; No when unset.
  std::function<PromptAnswer(const std::string& question)> answer;

 private:
  static const char* answerName(PromptAnswer a) {
    switch (a) {
      case PromptAnswer::Yes: return "Yes";
      case PromptAnswer::No: return "No";
      case PromptAnswer::Ok: return "OK";
      case PromptAnswer::Retry: return "Retry";
      case PromptAnswer::Cancel: break;
    }
    return "Cancel";
  }
};

}  // namespace zelkor::cli
