#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <csignal>
#include <sys/resource.h>

#include "analysis/season_summary.h"
#include "print/summary_page.h"
#include "support/gps_image.h"

#include "painter_canvas.h"
#include "print_dialog.h"
#include "printout_pdf.h"
#include "qt_app.h"
#include "support/fake_store.h"
#include "gpsdata/fix_time.h"
#include "support/fixed_clock.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

TEST(PrintDialog, ShowsTheStoredSwitchesAndRefusesA36thCharacter) {
  testing::App();
  PrintOptions stored;
  stored.auxCalendar = false;
  PrintOptionsDialog d(stored);
  EXPECT_EQ(d.windowTitle(), "Print");
  EXPECT_TRUE(d.collarConfigBox()->isChecked());
  EXPECT_FALSE(d.auxBox()->isChecked());
  EXPECT_EQ(d.projectField()->text(), "");
  d.projectField()->setText(QString(40, 'x'));
  EXPECT_EQ(d.projectField()->text().size(), 35);
}

TEST(PrintToPdf, TheJobWritesAThreePageDocument) {
  testing::App();
  testing::TempDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(dir.file("config.pdf")));
  testing::FakeStore store;
  testing::FixedClock clock{{2026, 12, 6, 9, 3, 7}};
  CollarConfig config;
  config.collarId = 1234;
  {
    PainterCanvas canvas(printer);  // the document ends with the canvas
    EXPECT_EQ(RunPrintJob(canvas, ReadPrintInputs(config, store, clock, {})), 3);
    EXPECT_EQ(canvas.pages(), 3);
  }
  const std::string pdf = dir.read("config.pdf");
  ASSERT_GT(pdf.size(), 1000u);
  EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
}

// The three pages of a default configuration.
PrintInputs DefaultPrintInputs() {
  testing::FakeStore store;
  testing::FixedClock clock{{2026, 12, 6, 9, 3, 7}};
  return ReadPrintInputs(CollarConfig{}, store, clock, {});
}

// "Save as PDF": the file stands under its name only when complete, and a
// folder that does not exist is a failure with its reason, not a success.
TEST(PrintToPdf, WritesAWholeFileOrReportsWhyNot) {
  testing::App();
  testing::TempDir dir;
  const PrintInputs inputs = DefaultPrintInputs();
  std::string reason;
  EXPECT_EQ(WritePrintoutPdf(inputs, dir.file("no/such/folder/c.pdf"), &reason), -1);
  EXPECT_EQ(reason, "the folder does not exist");
  EXPECT_EQ(WritePrintoutPdf(inputs, dir.file("c.pdf"), &reason), 3);
  EXPECT_EQ(dir.read("c.pdf").rfind("%PDF", 0), 0u);
  EXPECT_EQ(testing::TempDir::List(dir.dir()), std::vector<std::string>{"c.pdf"})
      << "no temporary file stays";
}

// A disk that fills up while the PDF is written: a file-size limit of
// 20 kB (RLIMIT_FSIZE, with SIGXFSZ ignored so that writes fail with
// EFBIG). The old file stays, whole, and the failure names the reason.
TEST(PrintToPdf, AFullDiskIsAFailureAndTheOldFileStays) {
  testing::App();
  testing::TempDir dir;
  const PrintInputs inputs = DefaultPrintInputs();
  std::string reason;
  ASSERT_EQ(WritePrintoutPdf(inputs, dir.file("c.pdf"), &reason), 3);
  const std::string before = dir.read("c.pdf");
  ASSERT_GT(before.size(), 20000u) << "the limit must cut the next one short";

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 20000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int pages = WritePrintoutPdf(inputs, dir.file("c.pdf"), &reason);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(pages, -1) << "a cut-short PDF is not a success";
  EXPECT_NE(reason.find("too large"), std::string::npos) << "[" << reason << "]";
  EXPECT_EQ(dir.read("c.pdf"), before) << "the old file is kept";
  EXPECT_EQ(testing::TempDir::List(dir.dir()), std::vector<std::string>{"c.pdf"}) << "no temporary file stays";
}

// The season chart on paper: a page drawn at 150 dpi into an image, where
// the chart's row of pixels must show bars and gaps between them, not one
// black block.
TEST(PrintSummary, TheSeasonChartHasBarsAndGapsOnPaper) {
  testing::App();
  for (int days : {30, 200}) {
    std::vector<GpsBlockFields> fixes;
    for (int i = 0; i < days * 12; ++i) {
      if (i % 12 == 5) continue;  // one attempt a day fails
      const int64_t t = int64_t{20604} * 86400 + int64_t{i} * 7200 + 35;  // from 1 June 2026
      const int64_t d = t / 86400;
      int y = 0, m = 0, dd = 0;
      CivilFromDays(d, &y, &m, &dd);
      const int rest = static_cast<int>(t % 86400);
      fixes.push_back(testing::FixAt(y - 2000, m, dd, rest / 3600, rest % 3600 / 60, rest % 60,
                                     45.0 + 0.001 * (i % 7), true, 110.0 + 0.001 * (i % 5), false));
    }
    std::vector<uint8_t> image = testing::GpsImage(fixes, 812);
    CollarConfig config;
    config.primaryRateHours = 2;
    EncodeConfig(config);
    for (size_t i = 4; i < 12; ++i) image[i] = config.raw[i];
    SeasonSummary s;
    std::string error;
    ASSERT_TRUE(SummarizeSeason(image, {}, &s, &error)) << error;
    ASSERT_EQ(static_cast<int>(s.days.size()), days);

    QImage page(1275, 1650, QImage::Format_RGB32);  // Letter at 150 dpi
    page.setDotsPerMeterX(5906);
    page.setDotsPerMeterY(5906);
    page.fill(Qt::white);
    {
      PainterCanvas canvas(page, page.rect(), [] { return false; });
      PrintSummaryPage(canvas, s, {2026, 12, 6, 9, 3, 7});
      ASSERT_TRUE(canvas.finish());
    }
    // The row 3 pixels above the chart's base line: walk it left to right
    // counting the dark, pale and white runs.
    int base = -1;
    for (int y = page.height() - 1; y > 0 && base < 0; --y) {
      int dark = 0;
      for (int x = 0; x < page.width(); ++x) dark += qGray(page.pixel(x, y)) < 100;
      if (dark > page.width() / 2) base = y;
    }
    ASSERT_GT(base, 0) << "the chart's base line";
    const int row = base - 3;
    int bars = 0, gaps = 0, black = 0;
    bool inBar = false;
    for (int x = 150; x < page.width() - 75; ++x) {
      const int g = qGray(page.pixel(x, row));
      black += g < 100;
      const bool bar = g < 250;
      if (bar && !inBar) ++bars;
      if (!bar && inBar) ++gaps;
      inBar = bar;
    }
    EXPECT_GE(bars, days > 100 ? 20 : days - 1) << days << " days";
    EXPECT_GE(gaps, bars - 2) << days << " days: white between the bars";
    EXPECT_LT(black, (page.width() - 225) * 3 / 4) << days << " days: not a black block";
  }
}

TEST(PrintDialog, KeepsTheProjectTextItIsGiven) {
  testing::App();
  PrintOptions stored;
  stored.projectText = "Elk herd";
  PrintOptionsDialog d(stored);
  EXPECT_EQ(d.projectField()->text(), "Elk herd");
}

}  // namespace
}  // namespace zelkor
