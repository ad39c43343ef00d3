// Small pieces the configuration dialogs share: whole-number fields with a
// range checked on OK, and labelled rows.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>

#include "app/prompter.h"

namespace zelkor {

// A field holding a whole number, tagged with its control id.
QLineEdit* NumberField(QWidget* parent, int id, int value);
QLabel* Label(QWidget* parent, int id, const QString& text);

// Reads a field on OK: a whole number within lo-hi, or a message naming the
// range with the focus put in the field.
bool ReadRange(QLineEdit* field, int lo, int hi, Prompter& prompter, int* out);

void EnableAll(std::initializer_list<QWidget*> widgets, bool enabled);

}  // namespace zelkor
