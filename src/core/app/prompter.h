// How workflows talk to the user: a notice with one button, or a question.
// The program shows message boxes; tests record the texts and play back
// answers. An empty caption means the box carries the program's own title.
#pragma once

#include <string>

namespace zelkor {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual void notify(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
  virtual PromptAnswer ask(const std::string& text, const std::string& caption, PromptIcon icon,
                           PromptButtons buttons) = 0;
};

}  // namespace zelkor
