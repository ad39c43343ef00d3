// Where the printed pages are drawn: a printer, a PDF, a preview, or a
// recording in tests. Positions are device units; text is placed by its
// top-left corner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkor {

enum class PrintFont { Plain, Marked, UnmarkedItalic };

struct TextSize {
  int width = 0;
  int height = 0;
};

// A picture to place on a page: RGBA, row by row from the top.
struct CanvasImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

class PageCanvas {
 public:
  virtual ~PageCanvas() = default;
  virtual void startPage() = 0;
  virtual void endPage() = 0;
  virtual void setFont(PrintFont font) = 0;
  // Scales the fonts' size (1.0 = the device's default size).
  virtual void setFontScale(double scale) = 0;
  virtual TextSize textExtent(const std::string& text) = 0;
  virtual void text(int x, int y, const std::string& text) = 0;
  virtual void line(int x1, int y1, int x2, int y2) = 0;
  virtual void rectangle(int left, int top, int right, int bottom) = 0;
  // A filled rectangle without an outline; grey from 0 (black) to 255 (white).
  virtual void fillRectangle(int left, int top, int right, int bottom, int grey) = 0;
  // A picture scaled into a rectangle; a canvas without pictures leaves the
  // rectangle empty.
  virtual void image(int left, int top, int right, int bottom, const CanvasImage& picture) {
    (void)left, (void)top, (void)right, (void)bottom, (void)picture;
  }
  virtual int pageWidth() const = 0;
  virtual int pageHeight() const = 0;
  virtual int dpiX() const = 0;
  virtual int dpiY() const = 0;
};

}  // namespace zelkor
