// Draws the backdrop (resources/backdrop.png) and the icon (resources/zelkor.png).
// Not part of the build; run by hand after a change:
//   g++ -std=c++17 -fPIC make_artwork.cpp -o make_artwork $(pkg-config --cflags --libs Qt6Gui)
//   QT_QPA_PLATFORM=offscreen ./make_artwork backdrop.png zelkor.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>
#include <random>
int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QImage img(1152, 768, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 768);
  sky.setColorAt(0, QColor(12, 34, 78));
  sky.setColorAt(0.55, QColor(30, 86, 159));
  sky.setColorAt(1, QColor(120, 170, 210));
  p.fillRect(img.rect(), sky);
  std::mt19937 rng(7);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 160; ++i) {
    int x = rng() % 1152, y = rng() % 330;
    int a = 80 + rng() % 150;
    p.setBrush(QColor(255, 255, 255, a));
    double r = 0.6 + (rng() % 10) / 10.0;
    p.drawEllipse(QPointF(x, y), r, r);
  }
  // Moon
  QRadialGradient glow(QPointF(930, 130), 90);
  glow.setColorAt(0, QColor(255, 250, 220, 120));
  glow.setColorAt(1, QColor(255, 250, 220, 0));
  p.setBrush(glow);
  p.drawEllipse(QPointF(930, 130), 90, 90);
  p.setBrush(QColor(250, 246, 225));
  p.drawEllipse(QPointF(930, 130), 34, 34);
  // Mountain ranges
  auto range = [&](int base, int amp, double freq, QColor c, int seed) {
    std::mt19937 r(seed);
    QPainterPath path;
    path.moveTo(0, 768);
    double phase = (r() % 100) / 10.0;
    for (int x = 0; x <= 1152; x += 8) {
      double y = base - amp * (0.55 * std::sin(x * freq + phase) + 0.3 * std::sin(x * freq * 2.7 + phase * 2) +
                               0.15 * std::sin(x * freq * 6.1 + phase * 3));
      path.lineTo(x, y);
    }
    path.lineTo(1152, 768);
    path.closeSubpath();
    p.setBrush(c);
    p.drawPath(path);
  };
  range(470, 120, 0.006, QColor(44, 84, 140), 1);
  range(540, 90, 0.009, QColor(28, 62, 112), 2);
  range(620, 60, 0.012, QColor(16, 42, 82), 3);
  // Pines on the front range
  p.setBrush(QColor(10, 28, 56));
  for (int i = 0; i < 70; ++i) {
    int x = rng() % 1152;
    int h = 18 + rng() % 30;
    int y = 650 + rng() % 110;
    QPolygonF tree;
    tree << QPointF(x, y - h) << QPointF(x - h * 0.3, y) << QPointF(x + h * 0.3, y);
    p.drawPolygon(tree);
  }
  // A track of fixes across the valley
  QPainterPath track;
  QVector<QPointF> pts;
  double x = 140, y = 600;
  std::normal_distribution<double> n(0, 1);
  for (int i = 0; i < 34; ++i) {
    pts << QPointF(x, y);
    x += 24 + 6 * n(rng);
    y += -6 + 14 * n(rng);
    y = std::max(520.0, std::min(700.0, y));
  }
  track.moveTo(pts[0]);
  for (int i = 1; i < pts.size(); ++i) track.lineTo(pts[i]);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 196, 64, 200), 2.2, Qt::DashLine, Qt::RoundCap));
  p.drawPath(track);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < pts.size(); ++i) {
    p.setBrush(i == pts.size() - 1 ? QColor(255, 90, 60) : QColor(255, 214, 110));
    p.drawEllipse(pts[i], i == pts.size() - 1 ? 6 : 3.2, i == pts.size() - 1 ? 6 : 3.2);
  }
  // Signal arcs from the last fix toward a satellite
  QPointF last = pts.back();
  QPointF sat(760, 210);
  p.setBrush(Qt::NoBrush);
  for (int k = 1; k <= 3; ++k) {
    p.setPen(QPen(QColor(255, 255, 255, 170 - k * 40), 2));
    p.drawArc(QRectF(last.x() - 18 * k, last.y() - 18 * k, 36 * k, 36 * k), 30 * 16, 60 * 16);
  }
  // Satellite
  p.save();
  p.translate(sat);
  p.rotate(-25);
  p.setPen(QPen(QColor(220, 230, 245), 1.5));
  p.setBrush(QColor(60, 100, 170));
  p.drawRect(QRectF(-52, -9, 34, 18));
  p.drawRect(QRectF(18, -9, 34, 18));
  p.setBrush(QColor(230, 235, 245));
  p.drawRect(QRectF(-14, -12, 28, 24));
  p.drawLine(QPointF(-18, 0), QPointF(-14, 0));
  p.drawLine(QPointF(14, 0), QPointF(18, 0));
  p.restore();
  // Title
  QFont f("Liberation Sans", 44, QFont::Bold);
  p.setFont(f);
  p.setPen(QColor(255, 255, 255, 235));
  p.drawText(QRectF(0, 250, 1152, 70), Qt::AlignHCenter, "NVK GPS Collar");
  QFont g("Liberation Sans", 18);
  p.setFont(g);
  p.setPen(QColor(220, 232, 250, 220));
  p.drawText(QRectF(0, 322, 1152, 40), Qt::AlignHCenter, "Interface and data offload");
  p.end();
  img.save(argv[1]);
  // The program's icon: a collar ring with a GPS dot.
  QImage icon(64, 64, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter q(&icon);
  q.setRenderHint(QPainter::Antialiasing);
  q.setBrush(QColor(30, 86, 159));
  q.setPen(Qt::NoPen);
  q.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  q.setPen(QPen(QColor(255, 214, 110), 6));
  q.setBrush(Qt::NoBrush);
  q.drawEllipse(QRectF(14, 14, 36, 36));
  q.setPen(Qt::NoPen);
  q.setBrush(QColor(255, 90, 60));
  q.drawEllipse(QRectF(38, 8, 16, 16));
  q.end();
  icon.save(argv[2]);
}
