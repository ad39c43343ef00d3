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

std::string IncomingName(const std::string& csvName) { return csvName + ".incoming"; }

VerifyMode ReadVerifyMode(const SettingsStore& store) {
  VerifyMode mode = VerifyMode::Auto;
  const SettingsValue v = store.read(kSettingsKey, "Verify Reads");
  if (v.present()) ParseVerifyMode(v.text, &mode);
  return mode;
}

bool ParseVerifyMode(const std::string& text, VerifyMode* mode) {
  if (text == "auto") *mode = VerifyMode::Auto;
  else if (text == "always") *mode = VerifyMode::Always;
  else if (text == "never") *mode = VerifyMode::Never;
  else return false;
  return true;
}

namespace {

bool BadFileName(const std::string& name) {
  // The file stays inside "GPS Data": no folders, no way up.
  return name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
         name.find('\\') != std::string::npos;
}

// Keeps a read that could not be confirmed aside, under a name no tool
// takes for a backup ("...unconfirmed.gps"): evidence for the user, never
// the source of a CSV, a store row or an erase.
std::string KeepAsideUnconfirmed(const std::vector<uint8_t>& image, uint32_t collarId, OffloadContext& c) {
  std::string name = GpsBackupName(collarId, c.clock.now());
  name.insert(name.rfind('.'), ".unconfirmed");
  std::string reason;
  return WriteNewFileAtomically(GpsBackupDir(c.state.programDirectory) + name,
                                std::string(image.begin(), image.end()), &reason);
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
  bool mayReplace = false;
  if (std::filesystem::exists(csvPath, ec)) {
    // The old file stays until the new one is complete and takes its place.
    // No is the default: the backup stays either way, but a person's edited
    // CSV may not.
    if (ui.ask(Format("The file %s already exists. Would you want to overwrite the file?", fileName.c_str()),
               "File Exists", PromptIcon::Question, PromptButtons::YesNo, {{}, PromptAnswer::No}) !=
        PromptAnswer::Yes) {
      report.outcome = OffloadOutcome::OverwriteDeclined;
      report.failure = csvPath + " exists";
      return report;
    }
    mayReplace = true;
  }

  const int port = c.state.comPort;
  const int32_t blocks = static_cast<int32_t>(choice.blocks);
  const int32_t selectFlag = static_cast<uint32_t>(choice.blocks) != choice.initialCount ? 1 : 0;
  MemoryRead first;
  for (;;) {
    first = ReadCollarMemory(c.link, port, dir, IncomingName(fileName), blocks, selectFlag,
                             "Reading the collar's memory (first read)");
    ++report.reads;
    c.state.commandReceived = first.commandReceived;
    c.state.fileReceived = first.received;
    if (first.cancelled) {
      ui.notify("The offload was cancelled. Nothing was erased and no file was written.", kOffloadCaption,
                PromptIcon::Information);
      report.outcome = OffloadOutcome::Cancelled;
      report.cancelled = true;
      report.failure = "cancelled";
      return report;
    }
    if (first.received) break;
    // A transfer that failed may well pass the next time: Retry asks the
    // collar again (on the port opened anew, if it went away meanwhile).
    const std::string advice =
        first.writeFailed
            ? "The data could not be saved: " + first.error + ". Make room on the disk, then Retry."
            : "The reason: " + first.error + ". Check the cable and wake the collar with its magnet, then Retry.";
    if (ui.ask("GPS data was not received from the collar.", "ERROR", PromptIcon::Error, PromptButtons::RetryCancel,
               {advice, {}}) != PromptAnswer::Retry) {
      report.outcome = OffloadOutcome::NotReceived;
      report.failure = first.error;
      return report;
    }
  }
  report.retransmissions = first.retransmissions;
  const bool complete = GpsImageIsComplete(first.image);
  std::string reason;

  if (!complete) {
    // Kept aside for the user; nothing is translated, stored or erased.
    report.evidencePath = KeepAsideUnconfirmed(first.image, choice.collarId, c);
    const uint32_t announced = HeaderBlockCount(first.image.data());
    const size_t present = (first.image.size() - kGpsHeaderSize) / kGpsBlockSize;
    ui.notify(Format("The GPS data received holds %zu of the %u blocks its header announces, so no CSV was "
                     "written.",
                     present, announced),
              kViewCaption, PromptIcon::Error,
              {report.evidencePath.empty() ? "Offload the collar again."
                                           : "The data received is kept in " + report.evidencePath +
                                                 ". Offload the collar again.",
               {}});
    report.outcome = OffloadOutcome::Incomplete;
    report.failure = "the data received is incomplete";
    return report;
  }

  // The erase is asked for now and done last, once everything is written.
  if (choice.blocks > 0) {
    if (static_cast<uint32_t>(choice.blocks) < choice.initialCount) {
      ui.notify(Format("The collar's data pointer was not reset, because only %ld of the %u blocks the collar "
                       "holds were read; erasing would lose the rest.",
                       choice.blocks, choice.initialCount),
                kResetCaption, PromptIcon::Information);
    } else if (const std::string stake = Format("Erase the %ld fixes stored in collar %u? The collar is read once "
                                                "more, and erased only when that read agrees and the backup, the "
                                                "CSV and the season store are written.",
                                                choice.blocks, choice.collarId);
               ui.ask("GPS data was successfully received. Would you like to reset the datapointer?",
                      kResetCaption, PromptIcon::Question, PromptButtons::YesNo, {stake, PromptAnswer::No}) ==
                   PromptAnswer::Yes &&
               ui.ask(kResetQuestion, kResetCaption, PromptIcon::Question, PromptButtons::YesNo,
                      {stake, PromptAnswer::No}) == PromptAnswer::Yes) {
      report.eraseAsked = true;
    }
  }

  // A second read where the line has shown damage, where the user asks for
  // it always, and before any erase.
  std::vector<uint8_t> image = first.image;
  const bool noisy = first.retransmissions > 0;
  const bool confirm = report.eraseAsked || choice.verify == VerifyMode::Always ||
                       (choice.verify == VerifyMode::Auto && noisy);
  const bool mustConfirm = choice.verify == VerifyMode::Always || (choice.verify == VerifyMode::Auto && noisy);
  bool eraseAllowed = report.eraseAsked;
  if (confirm) {
    const ReadAgreement agreement = ConfirmByRereading(c.link, port, dir, IncomingName(fileName), first.image, blocks,
                                                       selectFlag, report.eraseAsked);
    report.reads += agreement.reads - 1;
    if (agreement.outcome == ReadAgreement::Agreed) {
      image = agreement.image;
      report.confirmed = true;
      if (agreement.firstWasWrong)
        ui.notify("The first read of the collar's memory was damaged on the line. Two later reads agree; the "
                  "backup and the CSV come from them.",
                  kOffloadCaption, PromptIcon::Information);
    } else if (agreement.outcome == ReadAgreement::Cancelled) {
      // A cancel stops the whole offload, as during the first read.
      ui.notify("The offload was cancelled. Nothing was erased and no file was written.", kOffloadCaption,
                PromptIcon::Information);
      report.outcome = OffloadOutcome::Cancelled;
      report.cancelled = true;
      report.failure = "cancelled; nothing was erased";
      return report;
    } else {
      eraseAllowed = false;
      report.differsFromBlock = agreement.differsFromBlock;
      std::string why;
      switch (agreement.outcome) {
        case ReadAgreement::Cancelled:
          break;
        case ReadAgreement::Failed:
          why = agreement.differsFromBlock
                    ? Format("The two reads differ from block %u: the data may hold errors; offload again.",
                             agreement.differsFromBlock)
                    : "The confirming read of the collar's memory failed (" + agreement.error +
                          "); as far as it went it agrees with the first.";
          report.failure = agreement.differsFromBlock
                               ? Format("the two reads differ from block %u", agreement.differsFromBlock)
                               : "the confirming read failed: " + agreement.error;
          break;
        case ReadAgreement::Disagreed:
          why = Format("%d reads of the collar's memory gave %d different results, so no copy of its data can be "
                       "trusted yet.",
                       agreement.reads, agreement.reads);
          report.failure = Format("%d reads of the memory all differ", agreement.reads);
          break;
        case ReadAgreement::Agreed:
          break;
      }
      if (mustConfirm) {
        // The first read came over a damaged line and nothing confirms it:
        // it is kept aside, and nothing is made of it.
        report.evidencePath = KeepAsideUnconfirmed(first.image, choice.collarId, c);
        ui.notify("The GPS data could not be confirmed, so no CSV was written and nothing was stored or erased.",
                  kOffloadCaption, PromptIcon::Warning,
                  {why + Format(" The line repeated %d packets of the first read. ", first.retransmissions) +
                       (report.evidencePath.empty() ? std::string()
                                                    : "That read is kept aside in " + report.evidencePath + ". ") +
                       "Check the cable and its connectors, then offload again.",
                   {}});
        report.outcome = OffloadOutcome::Unconfirmed;
        return report;
      }
      // A clean first read stands; only the erase is off.
      ui.notify("The collar was not erased, because its memory could not be read a second time to confirm the "
                "data on disk.",
                kResetCaption, PromptIcon::Warning, {why + " The data of the first read is kept.", {}});
    }
  }

  report.backupPath =
      SaveVerifiedBackup(image, GpsBackupDir(dir) + GpsBackupName(choice.collarId, c.clock.now()), &reason);
  if (report.backupPath.empty()) {
    eraseAllowed = false;
    ui.notify("Could not create a backup gps data file.", "Error", PromptIcon::Error,
              {WriteFailureText(GpsBackupDir(dir), reason) + (report.eraseAsked ? " The collar was not erased." : ""),
               {}});
  }

  // A name the user did not agree to replace is taken only if it is still
  // free: another offload may have written a file of that name meanwhile.
  TranslateResult t;
  if (mayReplace) {
    t = TranslateImageToFile(image, csvPath, choice.form, choice.zone(), &report.translation, &reason);
  } else {
    report.translation = TranslateGpsImage(image, choice.form, choice.zone());
    t = report.translation.result;
    if (report.translation.headerBlocks > 0) {
      switch (CreateFileAtomically(csvPath, report.translation.csv, &reason)) {
        case CreateResult::Created: break;
        case CreateResult::Exists:
          t = TranslateResult::OutputOpenFailed;
          reason = "another program wrote a file of that name meanwhile; it was left as it is";
          break;
        case CreateResult::Failed: t = TranslateResult::WriteFailed; break;
      }
    }
  }
  const char* message = TranslateResultMessage(t);
  if (message) {
    const bool failed = t != TranslateResult::ChecksumMismatch;
    PromptOptions more;
    if (failed) more.details = WriteFailureText(csvPath, reason) + (report.eraseAsked ? " The collar was not erased." : "");
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

  KeepResult kept;
  if (c.keep && !report.backupPath.empty()) kept = c.keep(image, report.backupPath, report.confirmed);
  if (!kept.safe && kept.waiting && report.eraseAsked && eraseAllowed && c.askEraseWhileWaiting)
    kept.safe = ui.ask("The fixes were not added to the season store; their backup waits to go in later. Erase the "
                       "collar anyway?",
                       kResetCaption, PromptIcon::Warning, PromptButtons::YesNo,
                       {kept.message + " Say No to keep the data in the collar until the store holds it.",
                        PromptAnswer::No}) == PromptAnswer::Yes;
  if (!kept.safe) eraseAllowed = false;

  if (report.eraseAsked && eraseAllowed) {
    if (c.beforeErase) c.beforeErase();
    if (c.cancelled && c.cancelled()) {
      report.cancelled = true;
      report.failure = "cancelled; nothing was erased";
      ui.notify("Cancelled; nothing was erased.", kResetCaption, PromptIcon::Information);
    } else {
      const EraseResult erased = EraseCollarMemory(c.link, port, dir);
      report.resetDone = erased == EraseResult::Erased || erased == EraseResult::ErasedReplyLost;
      if (!report.resetDone) report.failure = "the collar's memory was not erased";
      ReportErase(erased, "All data in the collar has been erased", ui);
    }
  } else if (report.eraseAsked && report.failure.empty()) {
    report.failure = kept.safe ? "the collar was not erased"
                               : "the collar was not erased, because its fixes are not in the season store. " +
                                     kept.message;
    if (!kept.safe)
      ui.notify("The collar was not erased, because its fixes are not in the season store.", kResetCaption,
                PromptIcon::Warning,
                {kept.message + " Erase it with Settings > Reset Datapointer once the store holds them.", {}});
  }

  report.outcome = OffloadOutcome::Viewed;
  if (c.status)
    c.status(Format("%u fixes of collar %u written to %s%s%s", report.translation.rows, choice.collarId,
                    csvPath.c_str(), report.confirmed ? " (confirmed by two reads)" : "",
                    report.resetDone ? "; the collar was erased" : "") +
             (kept.message.empty() ? std::string() : ". " + kept.message));
  if (c.view) c.view(csvPath, report.backupPath);
  return report;
}

}  // namespace zelkor
