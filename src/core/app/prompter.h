// How workflows talk to the user: a notice with one button, or a question.
// The program shows message boxes; tests record the texts and play back
// answers. An empty caption means the box carries the program's own title.
#pragma once

#include <optional>
#include <string>

namespace zelkor {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

struct PromptOptions {
  // A second paragraph under the message: the likely cause and what to do.
  std::string details;
  // The button that Enter presses; the platform's choice when unset.
  std::optional<PromptAnswer> defaultAnswer;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual void notify(const std::string& text, const std::string& caption, PromptIcon icon,
                      const PromptOptions& more = {}) = 0;
  virtual PromptAnswer ask(const std::string& text, const std::string& caption, PromptIcon icon,
                           PromptButtons buttons, const PromptOptions& more = {}) = 0;
};

}  // namespace zelkor
