#include "painter_canvas.h"

#include <QFontMetrics>
#include <QPrinter>

namespace zelkor {

PainterCanvas::PainterCanvas(QPrinter& printer) : printer_(printer) {}

PainterCanvas::~PainterCanvas() {
  if (painter_.isActive()) painter_.end();
}

void PainterCanvas::startPage() {
  if (pages_ == 0) {
    if (!painter_.begin(&printer_)) failed_ = true;
  } else if (painter_.isActive() && !printer_.newPage()) {
    failed_ = true;
  }
  ++pages_;
  if (painter_.isActive()) painter_.setFont(font());
}

bool PainterCanvas::finish() {
  if (painter_.isActive() && !painter_.end()) failed_ = true;
  return !failed_;
}

QFont PainterCanvas::font() const {
  // "Times New Roman" (Liberation Serif stands in on Linux), the device's
  // default size.
  QFont f("Times New Roman");
  f.setStyleHint(QFont::Serif);
  f.setPointSizeF(10.0 * scale_);
  switch (kind_) {
    case PrintFont::Plain: f.setWeight(QFont::Thin); break;
    case PrintFont::Marked:
      f.setWeight(QFont::Black);
      f.setUnderline(true);
      break;
    case PrintFont::UnmarkedItalic:
      f.setWeight(QFont::Normal);
      f.setItalic(true);
      break;
  }
  return f;
}

void PainterCanvas::setFont(PrintFont font) {
  kind_ = font;
  if (painter_.isActive()) painter_.setFont(this->font());
}

void PainterCanvas::setFontScale(double scale) {
  scale_ = scale;
  if (painter_.isActive()) painter_.setFont(font());
}

TextSize PainterCanvas::textExtent(const std::string& text) {
  const QFontMetrics m(font(), &printer_);
  return {m.horizontalAdvance(QString::fromStdString(text)), m.height()};
}

void PainterCanvas::text(int x, int y, const std::string& text) {
  const QFontMetrics m(font(), &printer_);
  painter_.drawText(x, y + m.ascent(), QString::fromStdString(text));
}

void PainterCanvas::line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void PainterCanvas::rectangle(int left, int top, int right, int bottom) {
  painter_.drawRect(left, top, right - left, bottom - top);
}

int PainterCanvas::pageWidth() const { return static_cast<int>(printer_.pageRect(QPrinter::DevicePixel).width()); }
int PainterCanvas::pageHeight() const { return static_cast<int>(printer_.pageRect(QPrinter::DevicePixel).height()); }
int PainterCanvas::dpiX() const { return printer_.logicalDpiX(); }
int PainterCanvas::dpiY() const { return printer_.logicalDpiY(); }

}  // namespace zelkor
