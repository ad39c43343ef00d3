#include "gpsdata/offload_workflow.h"

#include <cstdio>
#include <filesystem>

#include "app/paths.h"
#include "app/utc_offset.h"
#include "gpsdata/gps_fix.h"
#include "link/collar_sequences.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

namespace {
const char kOffloadCaption[] = "Offload GPS Data";
const char kViewCaption[] = "View GPS Data";
}  // namespace

UtcShift ZoneOffset(const std::string& zoneText) {
  if (zoneText == kUtcEntryText) return {};
  if (zoneText.size() < 8) return {};
  std::string digits;
  if (zoneText[6] != '0') digits += zoneText[6];
  digits += zoneText[7];
  const int hours = AtoiRules(digits);
  // The minutes stand at 9-10 ("(GMT +09:30)"); a half-hour zone shifts by them too.
  const int minutes = zoneText.size() > 10 && zoneText[8] == ':' ? AtoiRules(zoneText.substr(9, 2)) : 0;
  const int total = hours * 60 + minutes;
  return ShiftMinutes(zoneText[5] == '+' ? total : -total);
}

const char* TranslateResultMessage(TranslateResult result) {
  switch (result) {
    case TranslateResult::InputOpenFailed: return "Error opening the GPS data in file! Can not view the data!";
    case TranslateResult::OutputOpenFailed: return "Error opening the GPS data out file! Can not view the data!";
    case TranslateResult::WriteFailed: return "Error writing the GPS data out file! Can not view the data!";
    case TranslateResult::ChecksumMismatch:
      return "There was a checksum error in the vehicle data. You can still view the data.";
    case TranslateResult::Ok: break;
  }
  return nullptr;
}

bool GpsImageIsComplete(const std::vector<uint8_t>& image) {
  if (image.size() < kGpsHeaderSize) return false;
  const uint32_t blocks = HeaderBlockCount(image.data());
  return image.size() >= kGpsHeaderSize + static_cast<size_t>(blocks) * kGpsBlockSize;
}

std::string SaveVerifiedBackup(const std::vector<uint8_t>& image, const std::string& path, std::string* reason) {
  const std::string bytes(image.begin(), image.end());
  const std::string written = WriteNewFileAtomically(path, bytes, reason);
  if (written.empty()) return written;
  std::string back;
  if (!ReadWholeFile(written, &back, reason)) return std::string();
  if (back != bytes) {
    *reason = "the copy read back differs from the data received";
    return std::string();
  }
  return written;
}

std::string IncomingName(const std::string& csvName, int read) {
  return csvName + (read <= 1 ? ".incoming" : Format(".incoming-%d", read));
}

namespace {

bool BadFileName(const std::string& name) {
  // The file stays inside "GPS Data": no folders, no way up.
  return name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
         name.find('\\') != std::string::npos;
}

// A backup that a later read has shown to be damaged stops looking like
// one: it keeps its bytes under a name that no tool takes for a backup.
void SetAsideDamagedBackup(const std::string& path) {
  std::error_code ec;
  const std::string target = path + ".damaged";
  if (!std::filesystem::exists(target, ec)) std::filesystem::rename(path, target, ec);
}

// The erase, after the user's two Yes: read again until two reads agree,
// then erase. Returns the image the CSV must come from.
std::vector<uint8_t> ConfirmAndErase(const OffloadChoice& choice, const LinkParams& first,
                                     const std::vector<uint8_t>& firstImage, const std::string& fileName,
                                     OffloadContext& c, OffloadReport& report) {
  Prompter& ui = c.prompter;
  const std::string& dir = c.state.programDirectory;
  const ReadAgreement agreement = ConfirmByRereading(c.link, first.port, dir, IncomingName(fileName, 2), firstImage,
                                                     first.datablocks, first.selectFlag);
  report.reads += agreement.reads - 1;
  switch (agreement.outcome) {
    case ReadAgreement::Cancelled:
      ui.notify("The second read of the collar's memory was cancelled. The collar was not erased.", kResetCaption,
                PromptIcon::Information);
      return firstImage;
    case ReadAgreement::Failed:
      ui.notify("The collar was not erased, because its memory could not be read a second time to confirm the "
                "data on disk.",
                kResetCaption, PromptIcon::Warning,
                {"The second read failed: " + agreement.error + ". The data already received is kept; offload "
                 "again to erase the collar.",
                 {}});
      report.failure = "the confirming read failed: " + agreement.error;
      return firstImage;
    case ReadAgreement::Disagreed:
      ui.notify("The collar was not erased: three reads of its memory gave three different results, so no copy "
                "of its data can be trusted yet.",
                kResetCaption, PromptIcon::Warning,
                {"The line to the collar is damaging data. Check the cable and its connectors, then offload "
                 "again. The CSV comes from the first read and may hold errors.",
                 {}});
      report.failure = "three reads of the memory disagree";
      return firstImage;
    case ReadAgreement::Agreed:
      break;
  }
  if (agreement.firstWasWrong) {
    // The first read was damaged on the line; the agreed image replaces it.
    std::string reason;
    const std::string agreed =
        SaveVerifiedBackup(agreement.image, GpsBackupDir(dir) + GpsBackupName(choice.collarId, c.clock.now()),
                           &reason);
    if (agreed.empty()) {
      ui.notify("Could not create a backup gps data file.", "Error", PromptIcon::Error,
                {WriteFailureText(GpsBackupDir(dir), reason) + " The collar was not erased.", {}});
      report.failure = "the confirmed data could not be saved: " + reason;
      return agreement.image;
    }
    if (!report.backupPath.empty()) SetAsideDamagedBackup(report.backupPath);
    report.backupPath = agreed;
    ui.notify("The first read of the collar's memory was damaged on the line. Two later reads agree; the backup "
              "and the CSV come from them.",
              kOffloadCaption, PromptIcon::Information, {"Backup copy: " + agreed, {}});
  }
  const EraseResult erased = EraseCollarMemory(c.link, first.port, dir);
  report.resetDone = erased == EraseResult::Erased || erased == EraseResult::ErasedReplyLost;
  if (!report.resetDone) report.failure = "the collar's memory was not erased";
  ReportErase(erased, "All data in the collar has been erased", ui);
  return agreement.image;
}

}  // namespace

OffloadReport RunOffload(const OffloadChoice& choice, OffloadContext& c) {
  OffloadReport report;
  Prompter& ui = c.prompter;
  const std::string& dir = c.state.programDirectory;
  if (choice.blocks > static_cast<long>(kMaxGpsBlocks)) {
    ui.notify(Format("The number of data blocks cannot exceed %d.", static_cast<int>(kMaxGpsBlocks)),
              "Out of range", PromptIcon::Warning);
    report.outcome = OffloadOutcome::OutOfRange;
    return report;
  }
  if (choice.blocks < 0) {
    ui.notify(Format("The number of data blocks must be a whole number from 0 to %d.",
                     static_cast<int>(kMaxGpsBlocks)),
              "Out of range", PromptIcon::Warning);
    report.outcome = OffloadOutcome::OutOfRange;
    return report;
  }
  if (!c.store.write(kSettingsKey, "Lat or UTC Offload", Format("%d", static_cast<int>(choice.form))))
    ui.notify("There was an error writing to the registry. The UTC versus LAT/LON preference settings will not "
              "be saved to the register.",
              "", PromptIcon::Error);
  std::string fileName = choice.fileName;
  if (BadFileName(fileName)) {
    ui.notify("Enter a file name without a folder. The file is saved in the \"GPS Data\" folder.",
              "Invalid file name", PromptIcon::Warning);
    report.outcome = OffloadOutcome::BadFileName;
    report.failure = "invalid file name";
    return report;
  }
  if (fileName.find('.') == std::string::npos) fileName += ".csv";
  const std::string csvPath = GpsDataDir(dir) + fileName;
  report.receivedPath = csvPath;

  std::error_code ec;
  if (std::filesystem::exists(csvPath, ec)) {
    // The old file stays until the new one is complete and takes its place.
    if (ui.ask(Format("The file %s already exists. Would you want to overwrite the file?", fileName.c_str()),
               "File Exists", PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes) {
      report.outcome = OffloadOutcome::OverwriteDeclined;
      report.failure = csvPath + " exists";
      return report;
    }
  }

  LinkParams p;
  p.request = LinkRequest::Offload;
  p.port = c.state.comPort;
  p.datablocks = static_cast<int32_t>(choice.blocks);
  p.selectFlag = static_cast<uint32_t>(choice.blocks) != choice.initialCount ? 1 : 0;
  MemoryRead first;
  for (;;) {
    first = ReadCollarMemory(c.link, p.port, dir, IncomingName(fileName, 1), p.datablocks, p.selectFlag);
    ++report.reads;
    c.state.commandReceived = first.commandReceived;
    c.state.fileReceived = first.received;
    if (first.cancelled) {
      ui.notify("The offload was cancelled. Nothing was erased and no file was written.", kOffloadCaption,
                PromptIcon::Information);
      report.outcome = OffloadOutcome::Cancelled;
      report.failure = "cancelled";
      return report;
    }
    if (first.received) break;
    // A transfer that failed may well pass the next time: Retry asks the
    // collar again.
    if (ui.ask("GPS data was not received from the collar.", "ERROR", PromptIcon::Error, PromptButtons::RetryCancel,
               {"The reason: " + first.error + ". Check the cable and wake the collar with its magnet, then Retry.",
                {}}) != PromptAnswer::Retry) {
      report.outcome = OffloadOutcome::NotReceived;
      report.failure = first.error;
      return report;
    }
  }

  std::string reason;
  report.backupPath =
      SaveVerifiedBackup(first.image, GpsBackupDir(dir) + GpsBackupName(choice.collarId, c.clock.now()), &reason);
  if (report.backupPath.empty())
    ui.notify("Could not create a backup gps data file.", "Error", PromptIcon::Error,
              {WriteFailureText(GpsBackupDir(dir), reason), {}});

  const bool complete = GpsImageIsComplete(first.image);
  std::vector<uint8_t> image = first.image;
  if (choice.blocks > 0) {
    if (report.backupPath.empty()) {
      // The collar keeps its data until a copy of it is safely on disk.
      ui.notify("The collar's data pointer was not reset, because no verified backup copy of the GPS data "
                "exists.",
                kResetCaption, PromptIcon::Warning);
    } else if (!complete) {
      ui.notify("The collar's data pointer was not reset, because the received GPS data holds fewer blocks than "
                "its header announces.",
                kResetCaption, PromptIcon::Warning);
    } else if (static_cast<uint32_t>(choice.blocks) < choice.initialCount) {
      ui.notify(Format("The collar's data pointer was not reset, because only %ld of the %u blocks the collar "
                       "holds were read; erasing would lose the rest.",
                       choice.blocks, choice.initialCount),
                kResetCaption, PromptIcon::Information);
    } else if (const std::string stake = Format("Erase the %ld fixes stored in collar %u? Their verified backup "
                                                "is %s. The collar is read once more before it is erased.",
                                                choice.blocks, choice.collarId, report.backupPath.c_str());
               ui.ask("GPS data was successfully received. Would you like to reset the datapointer?",
                      kResetCaption, PromptIcon::Question, PromptButtons::YesNo, {stake, PromptAnswer::No}) ==
                   PromptAnswer::Yes &&
               ui.ask(kResetQuestion, kResetCaption, PromptIcon::Question, PromptButtons::YesNo,
                      {stake, PromptAnswer::No}) == PromptAnswer::Yes) {
      report.eraseAsked = true;
      image = ConfirmAndErase(choice, p, first.image, fileName, c, report);
    }
  }

  if (!complete) {
    const uint32_t announced = HeaderBlockCount(image.data());
    const size_t present = (image.size() - kGpsHeaderSize) / kGpsBlockSize;
    ui.notify(Format("The GPS data received holds %zu of the %u blocks its header announces, so no CSV was "
                     "written.",
                     present, announced),
              kViewCaption, PromptIcon::Error,
              {report.backupPath.empty() ? "Offload the collar again."
                                         : "The data received is kept in " + report.backupPath +
                                               ". Offload the collar again.",
               {}});
    report.outcome = OffloadOutcome::Incomplete;
    report.failure = "the data received is incomplete";
    return report;
  }

  const TranslateResult t =
      TranslateImageToFile(image, csvPath, choice.form, choice.zone(), &report.translation, &reason);
  const char* message = TranslateResultMessage(t);
  if (message) {
    const bool failed = t != TranslateResult::ChecksumMismatch;
    PromptOptions more;
    if (failed) more.details = WriteFailureText(csvPath, reason);
    ui.notify(message, kViewCaption, failed ? PromptIcon::Error : PromptIcon::Warning, more);
  }
  if (t != TranslateResult::Ok && t != TranslateResult::ChecksumMismatch) {
    report.outcome = OffloadOutcome::TranslateFailed;
    report.failure = WriteFailureText(csvPath, reason);
    return report;
  }
  if (report.translation.headerBlocks == 0) {
    // An empty memory translates to no rows: the file holds the summary.
    if (WriteFileAtomically(csvPath, SummaryLines(0, choice.form, choice.namedZone ? choice.namedZone->name() : choice.zoneText), &reason) != AtomicWrite::Ok) {
      ui.notify(TranslateResultMessage(TranslateResult::WriteFailed), kViewCaption, PromptIcon::Error,
                {WriteFailureText(csvPath, reason), {}});
      report.outcome = OffloadOutcome::TranslateFailed;
      report.failure = WriteFailureText(csvPath, reason);
      return report;
    }
  }
  report.outcome = OffloadOutcome::Viewed;
  std::string kept;
  if (c.keep) kept = c.keep(image, report.backupPath);
  if (c.status)
    c.status(Format("%u fixes of collar %u written to %s%s", report.translation.rows, choice.collarId,
                    csvPath.c_str(), report.resetDone ? "; the collar was erased" : "") +
             (kept.empty() ? std::string() : ". " + kept));
  if (c.view) c.view(csvPath, report.backupPath);
  return report;
}

}  // namespace zelkor
