// The page canvas on QPainter: a printer, a PDF file, a preview, or an
// image (one page) for checking what a page looks like.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <functional>

#include "print/page_canvas.h"

class QPagedPaintDevice;

namespace zelkor {

class PainterCanvas : public PageCanvas {
 public:
  // A printer or a PDF writer: its pages and their printable area.
  explicit PainterCanvas(QPagedPaintDevice& device);
  // Any paint device: the page is `page` of it, and newPage starts another
  // (false when it cannot).
  PainterCanvas(QPaintDevice& device, QRect page, std::function<bool()> newPage);
  ~PainterCanvas() override;

  void startPage() override;
  void endPage() override {}
  void setFont(PrintFont font) override;
  void setFontScale(double scale) override;
  TextSize textExtent(const std::string& text) override;
  void text(int x, int y, const std::string& text) override;
  void line(int x1, int y1, int x2, int y2) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void fillRectangle(int left, int top, int right, int bottom, int grey) override;
  void image(int left, int top, int right, int bottom, const CanvasImage& picture) override;
  int pageWidth() const override;
  int pageHeight() const override;
  int dpiX() const override;
  int dpiY() const override;
  int pages() const { return pages_; }
  // Ends the document; false when the device could not be opened or
  // finished (a file that cannot be written).
  bool finish();

 private:
  QFont font() const;
  QPaintDevice& device_;
  QRect page_;
  std::function<bool()> newPage_;
  QPainter painter_;
  PrintFont kind_ = PrintFont::Plain;
  double scale_ = 1.0;
  int pages_ = 0;
  bool failed_ = false;
};

}  // namespace zelkor
