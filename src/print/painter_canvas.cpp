#include "painter_canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPagedPaintDevice>

namespace zelkor {

PainterCanvas::PainterCanvas(QPagedPaintDevice& device)
    : device_(device),
      page_(device.pageLayout().paintRectPixels(device.logicalDpiX())),
      newPage_([&device] { return device.newPage(); }) {}

PainterCanvas::PainterCanvas(QPaintDevice& device, QRect page, std::function<bool()> newPage)
    : device_(device), page_(page), newPage_(std::move(newPage)) {}

PainterCanvas::~PainterCanvas() {
  if (painter_.isActive()) painter_.end();
}

void PainterCanvas::startPage() {
  if (pages_ == 0) {
    if (!painter_.begin(&device_)) failed_ = true;
  } else if (painter_.isActive() && !newPage_()) {
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
  const QFontMetrics m(font(), &device_);
  return {m.horizontalAdvance(QString::fromStdString(text)), m.height()};
}

void PainterCanvas::text(int x, int y, const std::string& text) {
  const QFontMetrics m(font(), &device_);
  painter_.drawText(x, y + m.ascent(), QString::fromStdString(text));
}

void PainterCanvas::line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void PainterCanvas::rectangle(int left, int top, int right, int bottom) {
  painter_.drawRect(left, top, right - left, bottom - top);
}

void PainterCanvas::image(int left, int top, int right, int bottom, const CanvasImage& picture) {
  if (!painter_.isActive() || picture.width <= 0 || picture.height <= 0 ||
      picture.rgba.size() < static_cast<size_t>(picture.width) * picture.height * 4)
    return;
  const QImage image(picture.rgba.data(), picture.width, picture.height, picture.width * 4, QImage::Format_RGBA8888);
  painter_.save();
  painter_.setRenderHint(QPainter::SmoothPixmapTransform);
  painter_.drawImage(QRect(QPoint(left, top), QPoint(right, bottom)), image);
  painter_.restore();
}

void PainterCanvas::fillRectangle(int left, int top, int right, int bottom, int grey) {
  painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), QColor(grey, grey, grey));
}

int PainterCanvas::pageWidth() const { return page_.width(); }
int PainterCanvas::pageHeight() const { return page_.height(); }
int PainterCanvas::dpiX() const { return device_.logicalDpiX(); }
int PainterCanvas::dpiY() const { return device_.logicalDpiY(); }

}  // namespace zelkor
