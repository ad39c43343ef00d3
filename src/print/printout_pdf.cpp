#include "printout_pdf.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>

#include "painter_canvas.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace zelkor {

int WritePrintoutPdf(const PrintInputs& inputs, const std::string& path, std::string* reason) {
  const QString temp =
      QString::fromStdString(path + Format(".part-%lld", static_cast<long long>(QCoreApplication::applicationPid())));
  // The printer says nothing of why it cannot write: try the file first.
  {
    QFile probe(temp);
    if (!probe.open(QIODevice::WriteOnly)) {
      *reason = QFileInfo(QFileInfo(temp).path()).isDir() ? probe.errorString().toStdString()
                                                           : "the folder does not exist";
      return -1;
    }
  }
  int pages = 0;
  bool painted = false;
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temp);
    PainterCanvas canvas(printer);
    pages = RunPrintJob(canvas, inputs);
    painted = canvas.finish();
  }
  const QFileInfo written(temp);
  if (!painted || (pages > 0 && written.size() == 0)) {
    QFile::remove(temp);
    *reason = "the PDF could not be written";
    return -1;
  }
  if (!MoveIntoPlace(temp.toStdString(), path, reason)) return -1;
  return pages;
}

}  // namespace zelkor
