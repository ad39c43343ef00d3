#include "dialog_fields.h"

#include "access_levels.h"

namespace zelkor {

QLineEdit* NumberField(QWidget* parent, int id, int value) {
  auto* e = new QLineEdit(QString::number(value), parent);
  e->setMaximumWidth(70);
  SetControlId(e, id);
  return e;
}

QLabel* Label(QWidget* parent, int id, const QString& text) {
  auto* l = new QLabel(text, parent);
  SetControlId(l, id);
  return l;
}

bool ReadRange(QLineEdit* field, int lo, int hi, Prompter& prompter, int* out) {
  bool ok = false;
  const long v = field->text().trimmed().toLong(&ok);
  if (!ok) {
    prompter.notify("Please enter an integer.", "", PromptIcon::Warning);
  } else if (v < lo || v > hi) {
    prompter.notify(QString("Please enter an integer between %1 and %2.").arg(lo).arg(hi).toStdString(), "",
                    PromptIcon::Warning);
    ok = false;
  }
  if (!ok) {
    field->setFocus();
    field->selectAll();
    return false;
  }
  *out = static_cast<int>(v);
  return true;
}

void EnableAll(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* w : widgets) w->setEnabled(enabled);
}

}  // namespace zelkor
