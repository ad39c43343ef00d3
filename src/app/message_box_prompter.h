// The prompter on QMessageBox.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/prompter.h"

namespace zelkor {

inline const char kProgramTitle[] = "NVKZelkor";

class MessageBoxPrompter : public Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  void notify(const std::string& text, const std::string& caption, PromptIcon icon,
              const PromptOptions& more = {}) override;
  PromptAnswer ask(const std::string& text, const std::string& caption, PromptIcon icon, PromptButtons buttons,
                   const PromptOptions& more = {}) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace zelkor
