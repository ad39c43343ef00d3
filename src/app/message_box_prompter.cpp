#include "message_box_prompter.h"

#include <QMessageBox>

namespace zelkor {

namespace {
QMessageBox::Icon ToIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToButtons(PromptButtons b) {
  switch (b) {
    case PromptButtons::Ok: return QMessageBox::Ok;
    case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton ToButton(PromptAnswer a) {
  switch (a) {
    case PromptAnswer::Ok: return QMessageBox::Ok;
    case PromptAnswer::Cancel: return QMessageBox::Cancel;
    case PromptAnswer::Yes: return QMessageBox::Yes;
    case PromptAnswer::No: return QMessageBox::No;
    case PromptAnswer::Retry: return QMessageBox::Retry;
  }
  return QMessageBox::NoButton;
}

QString Caption(const std::string& caption) {
  return caption.empty() ? QString(kProgramTitle) : QString::fromStdString(caption);
}

void ApplyOptions(QMessageBox& box, const PromptOptions& more) {
  if (!more.details.empty()) box.setInformativeText(QString::fromStdString(more.details));
  if (more.defaultAnswer) {
    box.setDefaultButton(ToButton(*more.defaultAnswer));
    if (*more.defaultAnswer == PromptAnswer::No) box.setEscapeButton(QMessageBox::No);
  }
}
}  // namespace

void MessageBoxPrompter::notify(const std::string& text, const std::string& caption, PromptIcon icon,
                                const PromptOptions& more) {
  QMessageBox box(ToIcon(icon), Caption(caption), QString::fromStdString(text), QMessageBox::Ok,
                  owner_);
  ApplyOptions(box, more);
  box.exec();
}

PromptAnswer MessageBoxPrompter::ask(const std::string& text, const std::string& caption, PromptIcon icon,
                                     PromptButtons buttons, const PromptOptions& more) {
  QMessageBox box(ToIcon(icon), Caption(caption), QString::fromStdString(text), ToButtons(buttons),
                  owner_);
  ApplyOptions(box, more);
  switch (box.exec()) {
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Retry: return PromptAnswer::Retry;
    case QMessageBox::Ok: return PromptAnswer::Ok;
    default: return PromptAnswer::Cancel;
  }
}

}  // namespace zelkor
