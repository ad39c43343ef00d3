#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>

#include "painter_canvas.h"
#include "print_dialog.h"
#include "printout_pdf.h"
#include "qt_app.h"
#include "support/fake_store.h"
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

// "Save as PDF": the file stands under its name only when complete, and a
// folder that does not exist is a failure with its reason, not a success.
TEST(PrintToPdf, WritesAWholeFileOrReportsWhyNot) {
  testing::App();
  testing::TempDir dir;
  testing::FakeStore store;
  testing::FixedClock clock{{2026, 12, 6, 9, 3, 7}};
  CollarConfig config;
  const PrintInputs inputs = ReadPrintInputs(config, store, clock, {});
  std::string reason;
  EXPECT_EQ(WritePrintoutPdf(inputs, dir.file("no/such/folder/c.pdf"), &reason), -1);
  EXPECT_EQ(reason, "the folder does not exist");
  EXPECT_EQ(WritePrintoutPdf(inputs, dir.file("c.pdf"), &reason), 3);
  EXPECT_EQ(dir.read("c.pdf").rfind("%PDF", 0), 0u);
  EXPECT_EQ(testing::TempDir::List(dir.dir()), std::vector<std::string>{"c.pdf"})
      << "no temporary file stays";
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
