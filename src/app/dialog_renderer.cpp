#include "dialog_renderer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QDir>
#include <QWidget>

#include <QTabWidget>
#include <cmath>

#include "aux_schedule_dialog.h"
#include "calendar_dialog.h"
#include <QPixmap>

#include "painter_canvas.h"
#include "printout_pdf.h"
#include "print_dialog.h"
#include "collar_command_dialogs.h"
#include "config/sample_config.h"
#include "config_dialog.h"
#include "config_options_dialog.h"
#include "gps_fix_schedule_dialog.h"
#include "mortality_dialog.h"
#include "transmitter_schedule_dialog.h"
#include "warning_dialog.h"
#include "gpsdata/gps_block_encode.h"
#include "gpsdata/translate.h"
#include "gpsdata/viewer_text.h"
#include "collars_dialog.h"
#include "named_zone_dialog.h"
#include "parallel_offload_dialog.h"
#include "season_store_dialog.h"
#include "store/season_store.h"
#include <cstdio>
#include "offload_dialog.h"
#include "util/atomic_file.h"
#include "util/endian.h"
#include "view_gps_data_dialog.h"
#ifdef ZELKOR_HAVE_MAPS
#include "gis/sample_maps.h"
#include "map_layers_panel.h"
#endif
#include "track_view.h"
#include "collar_commands_dialog.h"
#include "link_dialog.h"
#include "main_frame.h"
#include "main_view.h"
#include "help_window.h"
#include "layout_check.h"
#include "security_level_dialog.h"
#include "select_port_dialog.h"
#include "small_dialogs.h"
#include "utc_offset_dialog.h"

namespace zelkor {

namespace {
class NullSink : public CommandSink {
 public:
  void postCommand(int) override {}
};

class NullWarner : public Warner {
 public:
  void warn(const std::string&, HelpTopic) override {}
};

class NoLauncher : public XmodemLauncher {
 public:
  int run(const HelperRun&) override { return -1; }
};

// A season near 40 N 105.5 W on a 2-hour schedule: two of its fixes with
// bad checks, one planted far off, five attempts that got nothing.
std::vector<uint8_t> SampleImage() {
  CollarConfig config;
  config.primaryRateHours = 2;
  config.collarId = 1234;
  EncodeConfig(config);
  std::vector<uint8_t> image(config.raw.begin(), config.raw.end());
  WriteBe24(&image[1], 55 * 32 + 64);
  double lat = 40.0, lon = 105.5;
  for (int i = 0; i < 60; ++i) {
    if (i % 12 == 7) continue;  // no fix at that attempt
    GpsBlockFields f;
    f.year = 26;
    f.month = 5;
    f.day = 1 + i / 12;
    f.hour = (i * 2) % 24;
    lat += 0.0012 * std::sin(i * 0.35) + 0.0004;
    lon += 0.0015 * std::cos(i * 0.27);
    SplitDegrees(lat, f.latDegrees, f.latMinutes, f.latFraction);
    SplitDegrees(lon, f.lonDegrees, f.lonMinutes, f.lonFraction);
    f.satelliteMask = 0x8A104000u;
    f.altitudeCode = AltitudeCode(2100 + i);
    f.statusCode = 3;
    f.goodCheck = i != 17 && i != 41;
    if (i == 30) SplitDegrees(lat + 0.4, f.latDegrees, f.latMinutes, f.latFraction);  // 45 km off
    const GpsBlock b = EncodeGpsBlock(f);
    image.insert(image.end(), b.begin(), b.end());
  }
  return image;
}

std::string SampleCsv(const std::vector<uint8_t>& image) {
  return TranslateGpsImage(image, OutputForm::LatLon, ShiftHours(-7), "(GMT -07:00) Mountain Time (US & Canada)").csv;
}

}  // namespace

void ForEachDialog(AppContext& context, MainFrame& frame, const DialogVisitor& visit) {
  NullSink sink;
  NoLauncher launcher;

  frame.resize(1100, 680);
  visit(frame, "MainFrame");

  CollarCommandsDialog commands(0, context.state.programDirectory, context.link, context.prompter, sink, &frame);
  visit(commands, "CollarCommandsDialog");
  UtcOffsetDialog utc(context.state, context.store, context.prompter, &frame);
  visit(utc, "UtcOffsetDialog");
  int level = 0;
  SecurityLevelDialog security(level, context.prompter, &frame);
  visit(security, "SecurityLevelDialog");
  // As the user sees them: the ports found, and a read half done.
  SelectPortDialog port(context.serial, context.store, context.prompter, sink, 0, &frame);
  port.scan();
  visit(port, "SelectPortDialog");
  LinkParams params;
  params.request = LinkRequest::Offload;
  params.fileName = "deer12.csv";
  params.stage = "Reading the collar's memory (first read)";
  LinkDialog link(context.serial, launcher, context.prompter, params, context.state.programDirectory, &frame);
  LinkDisplay halfDone;
  halfDone.portText = "Com 1";
  halfDone.fileLabel = "Transmitting File";
  halfDone.fileName = "Offload.cmd";
  halfDone.bytesSent = "9";
  halfDone.status = "Request accepted. . .";
  halfDone.stage = params.stage;
  halfDone.transferring = true;
  halfDone.packetsDone = 1032;
  halfDone.packetTotal = 2048;
  halfDone.bytesPerSecond = 431;
  halfDone.secondsLeft = 312;
  link.present(halfDone);
  visit(link, "LinkDialog");
  AlmanacDialog almanac(0, context.link, context.prompter, sink, &frame);
  visit(almanac, "AlmanacDialog");
  TwoWayGpsDialog twoWay(0, context.link, sink, &frame);
  visit(twoWay, "TwoWayGpsDialog");
  AboutDialog about(context, &frame);
  visit(about, "AboutDialog");
  BatteryUsageDialog battery(&frame);
  visit(battery, "BatteryUsageDialog");

  // The offload dialog and the viewer, on a sample season.
  CollarConfig sample;
  sample.collarId = 1234;
  sample.dataBlockCount = 60;
  OffloadContext offload{context.state, context.store, context.prompter, context.link, context.clock, {}, {}};
  OffloadGpsDataDialog offloadDialog(sample, offload, sink, &frame);
  visit(offloadDialog, "OffloadGpsDataDialog");
  const std::vector<uint8_t> image = SampleImage();
  const std::string csv = SampleCsv(image);
  const ViewerText text = LoadTextForViewer(csv);
  auto* viewer = new ViewGpsDataDialog(QString::fromStdString(text.text), QString::number(text.lineCount),
                                       "1234.csv", &frame);
  viewer->setAttribute(Qt::WA_DeleteOnClose, false);
  visit(*viewer, "ViewGpsDataDialog");
  viewer->tabs()->setCurrentIndex(1);
  visit(*viewer, "ViewGpsDataDialog-Table");
  viewer->tabs()->setCurrentIndex(2);
  visit(*viewer, "ViewGpsDataDialog-Track");
  viewer->trackView()->zoomIn();
  viewer->trackView()->zoomIn();
  visit(*viewer, "ViewGpsDataDialog-TrackZoomed");
#ifdef ZELKOR_HAVE_MAPS
  // The track over a shaded image and a study area, both made here.
  if (MapLayersPanel* panel = viewer->mapLayersPanel()) {
    std::string raster, vector, why;
    if (WriteSampleMaps(context.state.programDirectory, 39.95, -105.65, 40.5, -105.35, &raster, &vector, &why)) {
      panel->setPaths({raster, vector});
      viewer->trackView()->fit();
      visit(*viewer, "ViewGpsDataDialog-TrackWithLayers");
      panel->setPaths({});
    } else {
      std::fprintf(stderr, "The sample maps could not be made: %s\n", why.c_str());
    }
  }
#endif
  viewer->tabs()->setCurrentIndex(3);
  visit(*viewer, "ViewGpsDataDialog-SummaryWithoutSource");
  viewer->setGpsImage(image, "1234_5_6_2026_8_0_0.gps");
  visit(*viewer, "ViewGpsDataDialog-Summary");
  delete viewer;
  NamedZoneDialog zones("America/Denver", &frame);
  visit(zones, "NamedZoneDialog");

  // Several collars, and the season store holding the sample season.
  {
    ParallelOffloadDialog several(context.state.programDirectory, context.serial, context.store, context.prompter,
                                  context.clock, {}, {}, &frame);
    visit(several, "ParallelOffloadDialog");
    const std::string storePath = context.state.programDirectory + "render-store.sqlite";
    std::string error;
    if (auto store = SeasonStore::Open(storePath, &error)) {
      ImportResult r;
      store->import(image, {"2026-05-06 08:00:00", 0, "1234_5_6_2026_8_0_0.gps"}, &r, &error);
    }
    CollarsDialog collars(storePath, {}, context.files, context.prompter, context.clock, {}, &frame);
    visit(collars, "CollarsDialog");
    SeasonStoreDialog where(context.store, context.state.programDirectory, context.prompter, context.keyring, &frame);
    visit(where, "SeasonStoreDialog");
    for (const char* end : {"", "-wal", "-shm"}) std::remove((storePath + end).c_str());
  }

  // The schedule dialogs on a sample configuration.
  CollarConfig config = SampleCollarConfig();
  int month = 4, year = 26;
  NullWarner warner;
  ScheduleContext schedule{config, false, context.state, context.store, context.prompter, warner, month, year, {}};
  GpsFixScheduleDialog fix(schedule, &frame);
  visit(fix, "GpsFixScheduleDialog");
  AuxScheduleDialog aux(schedule, 2, 0, &frame);
  visit(aux, "AuxScheduleDialog");
  TransmitterScheduleDialog transmitter(schedule, &frame);
  visit(transmitter, "TransmitterScheduleDialog");
  MortalityDialog mortality(config, false, context.state, &frame);
  visit(mortality, "MortalityDialog");
  ActivityDialog activity(context.prompter, false, &frame);
  visit(activity, "ActivityDialog");
  WarningDialog warning(kAuxOverlapNotice, HelpTopic::AuxiliarySchedule, &frame);
  visit(warning, "WarningDialog");

  config.dataBlockCount = 1500;
  ConfigFields fields = FieldsFrom(config);
  ConfigDialogContext hub{config, true, context.state, context.store, context.prompter, warner,
                          context.files, context.clock, sink, {}, {}};
  ConfigDialog configDialog(hub, fields, &frame);
  visit(configDialog, "ConfigDialog");
  ConfigOptionsDialog options({"Primary GPS fix rate: 2 h 0 min -> 4 h 30 min", "Maximum retries: 3 -> 2"}, "",
                              context.files, &frame);
  visit(options, "ConfigOptionsDialog");
  LoadConfigDialog loadConfig(context.files, &frame);
  visit(loadConfig, "LoadConfigDialog");

  PrintOptions printOptions;
  PrintOptionsDialog printDialog(printOptions, &frame);
  visit(printDialog, "PrintOptionsDialog");

  if (CNVKCalendar::FindFactory()) {
    for (const CalendarKind kind : {CalendarKind::Auxiliary, CalendarKind::Transmitter}) {
      CalendarRequest r;
      r.kind = kind;
      r.config = &config;
      r.viewOnly = false;
      r.startHour = kind == CalendarKind::Auxiliary ? 7 : 8;
      r.stopHour = kind == CalendarKind::Auxiliary ? 11 : 20;
      r.auxRateMinutes = 30;
      r.primaryRateHours = 2;
      r.startMonth = 5;
      r.startYear = 2026;
      CalendarDialog calendarDialog(r, context.prompter, &frame);
      visit(calendarDialog, kind == CalendarKind::Auxiliary ? "CalendarDialog-Auxiliary" : "CalendarDialog-Transmitter");
    }
  }

  HelpWindow* help = new HelpWindow(&frame);
  help->setAttribute(Qt::WA_DeleteOnClose, false);
  help->showPage("offload.html");
  visit(*help, "HelpWindow");
  delete help;
}

namespace {
bool SavePicture(QWidget& w, const QString& path, qreal scale) {
  QPixmap picture(w.size() * scale);
  picture.setDevicePixelRatio(scale);
  picture.fill(Qt::transparent);
  w.render(&picture);
  return picture.save(path);
}
}  // namespace

void UseRenderFont() {
  QApplication::setStyle("Fusion");
  if (QFontDatabase::hasFamily("DejaVu Sans")) QApplication::setFont(QFont("DejaVu Sans", 9));
}

namespace {
// The texts a user sees in a window: its title, labels, buttons, boxes and
// tabs, one to a line, sorted.
QStringList VisibleTexts(QWidget& w) {
  QStringList texts;
  if (!w.windowTitle().isEmpty()) texts << "title: " + w.windowTitle();
  for (QWidget* child : w.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&w)) continue;
    if (auto* label = qobject_cast<QLabel*>(child)) {
      if (!label->text().isEmpty()) texts << "label: " + label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
      if (!button->text().isEmpty()) texts << "button: " + button->text();
    } else if (auto* box = qobject_cast<QGroupBox*>(child)) {
      if (!box->title().isEmpty()) texts << "box: " + box->title();
    } else if (auto* tabs = qobject_cast<QTabBar*>(child)) {
      for (int i = 0; i < tabs->count(); ++i) texts << "tab: " + tabs->tabText(i);
    }
  }
  texts.sort();
  return texts;
}
}  // namespace

QStringList RenderDialogs(const QString& dir, AppContext& context, MainFrame& frame, QStringList* problems) {
  QStringList written;
  if (!QDir().mkpath(dir)) return written;
  ForEachDialog(context, frame, [&](QWidget& w, const QString& name) {
    if (&w != &frame) w.adjustSize();
    w.show();
    QApplication::processEvents();
    if (problems)
      for (const QString& p : LayoutProblems(w)) *problems << name + ": " + p;
    // Each picture at 1x and at 2x (for screens scaled to 200 %).
    const QString one = QDir(dir).filePath(name + ".png");
    const QString two = QDir(dir).filePath(name + "@2x.png");
    if (SavePicture(w, one, 1.0)) written << one;
    if (SavePicture(w, two, 2.0)) written << two;
    WriteFileAtomically(QDir(dir).filePath(name + ".txt").toStdString(),
                        (VisibleTexts(w).join('\n') + '\n').toStdString());
    if (&w != &frame) w.hide();
  });
  {
    // The three printed pages of the sample configuration, as a PDF.
    const QString pdf = QDir(dir).filePath("ConfigurationPrintout.pdf");
    CollarConfig config = SampleCollarConfig();
    PrintInputs inputs = ReadPrintInputs(config, context.store, context.clock, {5, 2026, 6});
    inputs.options.projectText = "Elk herd, 150.040 MHz";
    std::string reason;
    if (WritePrintoutPdf(inputs, pdf.toStdString(), &reason) >= 0) written << pdf;
  }
  return written;
}

}  // namespace zelkor
