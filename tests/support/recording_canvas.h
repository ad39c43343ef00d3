// A page canvas that records what is drawn, with simple fixed metrics: a
// character is 10 units wide and a line 20 high (at scale 1).
#pragma once

#include <string>
#include <vector>

#include "print/page_canvas.h"

namespace zelkor::testing {

struct DrawnText {
  int page;
  int x, y;
  std::string text;
  PrintFont font;
};

class RecordingCanvas : public PageCanvas {
 public:
  RecordingCanvas(int width = 2400, int height = 3200, int dpi = 300) : w_(width), h_(height), dpi_(dpi) {}
  void startPage() override { ++pages; }
  void endPage() override { ++ended; }
  void setFont(PrintFont f) override { font_ = f; }
  void setFontScale(double s) override { scale_ = s; }
  TextSize textExtent(const std::string& t) override {
    return {static_cast<int>(10 * scale_ * static_cast<double>(t.size())), static_cast<int>(20 * scale_)};
  }
  void text(int x, int y, const std::string& t) override { texts.push_back({pages, x, y, t, font_}); }
  void line(int, int, int, int) override { ++lines; }
  void rectangle(int, int, int, int) override { ++rectangles; }
  void fillRectangle(int left, int, int right, int, int grey) override { fills.push_back({left, right, grey}); }
  void image(int left, int top, int right, int bottom, const CanvasImage& picture) override {
    images.push_back({left, top, right, bottom, picture.width, picture.height});
  }
  int pageWidth() const override { return w_; }
  int pageHeight() const override { return h_; }
  int dpiX() const override { return dpi_; }
  int dpiY() const override { return dpi_; }

  const DrawnText* find(const std::string& t, int page = -1) const {
    for (const auto& d : texts)
      if (d.text == t && (page < 0 || d.page == page)) return &d;
    return nullptr;
  }
  // The text drawn on the same line right of a label.
  std::string valueOf(const std::string& label, int page = -1) const {
    const DrawnText* l = find(label, page);
    if (!l) return "<no label>";
    const DrawnText* best = nullptr;
    for (const auto& d : texts)
      if (d.page == l->page && d.y == l->y && d.x > l->x && (!best || d.x < best->x)) best = &d;
    return best ? best->text : "<no value>";
  }

  struct Fill {
    int left, right, grey;
  };
  int pages = 0, ended = 0, lines = 0, rectangles = 0;
  std::vector<Fill> fills;
  struct Picture {
    int left, top, right, bottom, width, height;
  };
  std::vector<Picture> images;
  std::vector<DrawnText> texts;

 private:
  int w_, h_, dpi_;
  PrintFont font_ = PrintFont::Plain;
  double scale_ = 1.0;
};

}  // namespace zelkor::testing
