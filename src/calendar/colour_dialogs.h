// "Change Calendar Colors" and the colour picker "Color".
#pragma once

#include <QDialog>

class QColorDialog;
class QLabel;
class QPushButton;

namespace nvkcal {

class FrmColor : public QDialog {
  Q_OBJECT
 public:
  FrmColor(uint32_t initial, QWidget* parent = nullptr);
  bool CancelPressed = true;
  uint32_t ColorSelected = 0;
  QColorDialog* picker() const { return picker_; }

 private:
  QColorDialog* picker_;
};

class ChangeColors : public QDialog {
  Q_OBJECT
 public:
  ChangeColors(bool auxMode, uint32_t selected, uint32_t unselected, QWidget* parent = nullptr);
  uint32_t colour1() const { return colour1_; }
  uint32_t colour2() const { return colour2_; }
  QPushButton* button1() const { return button1_; }
  QPushButton* button2() const { return button2_; }
  // Set by OK (false) and by every other way out (true): Cancel, Escape
  // and the window's close box leave the colours as they were.
  static bool cancelled;
  void reject() override;

 private:
  void pick(uint32_t& colour, QLabel* swatch);
  uint32_t colour1_, colour2_;
  QLabel* swatch1_;
  QLabel* swatch2_;
  QPushButton* button1_;
  QPushButton* button2_;
};

}  // namespace nvkcal
