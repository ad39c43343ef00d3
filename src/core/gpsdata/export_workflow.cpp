#include "gpsdata/export_workflow.h"

#include "app/paths.h"
#include "gpsdata/exports.h"
#include "util/text.h"

namespace zelkor {

void RunExportGpsData(const std::string& programDirectory, std::string source, FileChooser& files,
                      Prompter& prompter, double maxSpeedKmh) {
  if (source.empty()) {
    const auto chosen = files.openFile("Export GPS Data", GpsBackupDir(programDirectory) + "*.gps",
                                       "GPS data (*.gps);;All Files (*)");
    if (!chosen) return;
    source = *chosen;
  }
  std::string base = source.substr(source.find_last_of("/\\") + 1);
  base = base.substr(0, base.rfind('.'));
  const auto target = files.saveFile("Export GPS Data as", GpsDataDir(programDirectory) + base + ".gpx", kExportFilter);
  if (!target) return;
  ExportFormat format;
  if (!ExportFormatForPath(*target, &format)) {
    prompter.notify("Choose a name ending in .gpx, .geojson, .kml, .csv, .gpkg or .shp.zip; the ending selects the "
                    "format.",
                    "Export GPS Data", PromptIcon::Warning);
    return;
  }
  int written = 0, skipped = 0;
  std::string reason;
  ExportOptions options;
  options.maxSpeedKmh = maxSpeedKmh;
  if (IsGisFormat(format)) {
    const PromptAnswer utm = prompter.ask(
        "Write the coordinates in the UTM zone of the fixes?", "Export GPS Data", PromptIcon::Question,
        PromptButtons::YesNoCancel,
        {"No writes latitude and longitude on WGS 84 (EPSG:4326), which every GIS reads. Either way each fix also "
         "keeps its latitude and longitude as attributes.",
         PromptAnswer::No});
    if (utm == PromptAnswer::Cancel) return;
    options.utm = utm == PromptAnswer::Yes;
  }
  switch (ExportGpsFile(source, *target, format, options, &written, &skipped, &reason)) {
    case ExportResult::InputFailed:
      prompter.notify(Format("Could not read GPS data from %s.", source.c_str()), "Export GPS Data",
                      PromptIcon::Error, {"The reason: " + reason + ".", {}});
      return;
    case ExportResult::OutputFailed:
      prompter.notify(Format("Could not write %s.", target->c_str()), "Export GPS Data", PromptIcon::Error,
                      {"The reason: " + reason + ". Nothing was written under that name.", {}});
      return;
    case ExportResult::Ok:
      break;
  }
  prompter.notify(ExportedText(written, skipped) + " to " + *target + ".", "Export GPS Data", PromptIcon::Information);
}

}  // namespace zelkor
