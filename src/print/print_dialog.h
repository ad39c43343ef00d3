// "Print": which pages to print and the project text; it can also show a
// preview or write a PDF, for field stations without a printer.
#pragma once

#include <QDialog>

#include "print/print_job.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zelkor {

class PrintOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  enum Action { Print = 1, Preview = 2, Pdf = 3 };
  // summaryOf: the GPS data file whose season summary can be printed too;
  // empty when there is none (the box is then disabled).
  PrintOptionsDialog(const PrintOptions& stored, QWidget* parent = nullptr, const QString& summaryOf = QString());
  PrintOptions options() const;
  Action action() const { return action_; }

  QCheckBox* collarConfigBox() const { return config_; }
  QCheckBox* transmitterBox() const { return trans_; }
  QCheckBox* auxBox() const { return aux_; }
  QCheckBox* summaryBox() const { return summary_; }
  QCheckBox* seasonMapBox() const { return map_; }
  QLineEdit* projectField() const { return project_; }
  QPushButton* previewButton() const { return preview_; }
  QPushButton* pdfButton() const { return pdf_; }

 private:
  QCheckBox* config_;
  QCheckBox* trans_;
  QCheckBox* aux_;
  QCheckBox* summary_;
  QCheckBox* map_;
  QLineEdit* project_;
  QPushButton* preview_;
  QPushButton* pdf_;
  Action action_ = Print;
};

}  // namespace zelkor
