// The manual's pictures in the help window: each on its own between
// paragraphs, with a caption under it, never wider than the pane.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include "help_window.h"
#include "qt_app.h"

namespace zelkor {
namespace {

struct Picture {
  QString page;
  QString beside;   // text in the same paragraph as the picture
  QString caption;  // the paragraph after it
  bool captionItalic = false;
  qreal width = 0;
};

std::vector<Picture> PicturesOf(HelpWindow& help, const QString& page) {
  help.showPage(page);
  QApplication::processEvents();
  std::vector<Picture> found;
  QTextDocument* doc = help.browser()->document();
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    Picture p;
    p.page = page;
    bool image = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.charFormat().isImageFormat()) {
        image = true;
        p.width = f.charFormat().toImageFormat().width();
      } else {
        p.beside += f.text();
      }
    }
    if (!image) continue;
    const QTextBlock next = block.next();
    if (next.isValid()) {
      p.caption = next.text();
      p.captionItalic = next.begin() != next.end() && next.begin().fragment().charFormat().fontItalic();
    }
    found.push_back(p);
  }
  return found;
}

TEST(ManualPictures, EachStandsBetweenParagraphsWithACaptionAndFitsThePane) {
  testing::App();
  for (const int width : {820, 560}) {
    HelpWindow help;
    help.resize(width, 600);
    help.show();
    QApplication::processEvents();
    const int pane = help.browser()->viewport()->width();
    int pictures = 0;
    for (const ManualPage& page : ManualPages()) {
      for (const Picture& p : PicturesOf(help, page.file)) {
        ++pictures;
        const std::string where = p.page.toStdString() + ", picture " + std::to_string(pictures);
        EXPECT_TRUE(p.beside.trimmed().isEmpty()) << where << " shares its line with \"" << p.beside.toStdString()
                                                  << "\"";
        EXPECT_FALSE(p.caption.trimmed().isEmpty()) << where << " has no caption";
        EXPECT_TRUE(p.captionItalic) << where << ": the caption \"" << p.caption.toStdString()
                                     << "\" is not set as one";
        EXPECT_GT(p.width, 0) << where;
        EXPECT_LE(p.width, pane) << where << " is wider than the pane";
      }
    }
    EXPECT_GE(pictures, 25) << "at " << width << " px";
  }
}

// What Zelkor does differently on purpose is written down where users look.
TEST(Manual, ListsWhatZelkorDoesDifferentlyOnPurpose) {
  testing::App();
  QFile page(":/manual/differences.html");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(page.readAll());
  EXPECT_TRUE(text.contains("How Zelkor differs from older collar programs"));
  for (const char* point : {"Short or empty configuration files are refused", "read-only <code>AccessLevel.txt</code> is still read",
                            "Half-hour zones shift by their minutes", "The Karachi spelling is corrected",
                            "The first start asks its questions at once", "colours are saved only on OK"})
    EXPECT_TRUE(text.contains(point)) << point;
  bool listed = false;
  for (const ManualPage& p : ManualPages()) listed |= p.file == "differences.html";
  EXPECT_TRUE(listed) << "the page is not in the help window's contents";
}

}  // namespace
}  // namespace zelkor
