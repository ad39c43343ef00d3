#include "gpsdata/offload_workflow.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/paths.h"
#include "app/utc_offset.h"
#include "gpsdata/gps_fix.h"
#include "link/collar_sequences.h"
#include "util/text.h"

namespace zelkor {

int ZoneOffsetHours(const std::string& zoneText) {
  if (zoneText == kUtcEntryText) return 0;
  if (zoneText.size() < 8) return 0;
  std::string digits;
  if (zoneText[6] != '0') digits += zoneText[6];
  digits += zoneText[7];
  const int hours = AtoiRules(digits);
  return zoneText[5] == '+' ? hours : -hours;
}

std::string GpsBackupName(uint32_t collarId, const LocalDateTime& t) {
  return Format("%u_%u_%u_%u_%u_%u_%u.gps", collarId, static_cast<unsigned>(t.month),
                static_cast<unsigned>(t.day), static_cast<unsigned>(t.year), static_cast<unsigned>(t.hour),
                static_cast<unsigned>(t.minute), static_cast<unsigned>(t.second));
}

namespace {
bool ReadAll(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}
}  // namespace

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

bool GpsFileIsComplete(const std::string& path) {
  std::string bytes;
  if (!ReadAll(path, &bytes) || bytes.size() < kGpsHeaderSize) return false;
  const uint32_t blocks = HeaderBlockCount(reinterpret_cast<const uint8_t*>(bytes.data()));
  return bytes.size() >= kGpsHeaderSize + static_cast<size_t>(blocks) * kGpsBlockSize;
}

bool CopyAndVerify(const std::string& from, const std::string& to, bool* sourceOpened) {
  std::string bytes;
  *sourceOpened = ReadAll(from, &bytes);
  if (!*sourceOpened) return false;
  {
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return false;
  }
  std::string back;
  return ReadAll(to, &back) && back == bytes;
}

OffloadReport RunOffload(const OffloadChoice& choice, OffloadContext& c) {
  OffloadReport report;
  Prompter& ui = c.prompter;
  // A negative count would build a nonsense request: refused like a too
  // large one.
  if (choice.blocks > static_cast<long>(kMaxGpsBlocks) || choice.blocks < 0) {
    ui.notify(Format("The number of data blocks cannot exceed %d.", static_cast<int>(kMaxGpsBlocks)),
              "Out of range", PromptIcon::Warning);
    report.outcome = OffloadOutcome::OutOfRange;
    return report;
  }
  if (!c.store.write(kSettingsKey, "Lat or UTC Offload", Format("%d", static_cast<int>(choice.form))))
    ui.notify("There was an error writing to the registry. The UTC versus LAT/LON preference settings will not "
              "be saved to the register.",
              "", PromptIcon::Error);
  const int offset = ZoneOffsetHours(choice.zoneText);
  std::string fileName = choice.fileName;
  // The file stays inside "GPS Data": no folders, no way up.
  if (fileName.empty() || fileName.find('/') != std::string::npos || fileName.find('\\') != std::string::npos ||
      fileName.find("..") != std::string::npos) {
    ui.notify("Enter a file name without a folder and without \"..\". The file is saved in the \"GPS Data\" "
              "folder.",
              "Invalid file name", PromptIcon::Warning);
    report.outcome = OffloadOutcome::BadFileName;
    return report;
  }
  if (fileName.find('.') == std::string::npos) fileName += ".csv";
  const std::string received = GpsDataDir(c.state.programDirectory) + fileName;
  report.receivedPath = received;

  std::error_code ec;
  if (std::filesystem::exists(received, ec)) {
    if (ui.ask(Format("The file %s already exists. Would you want to overwrite the file?", fileName.c_str()),
               "File Exists", PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes) {
      report.outcome = OffloadOutcome::OverwriteDeclined;
      return report;
    }
    std::filesystem::remove(received, ec);
  }

  LinkParams p;
  p.request = LinkRequest::Offload;
  p.port = c.state.comPort;
  p.fileName = fileName;
  p.datablocks = static_cast<int32_t>(choice.blocks);
  p.selectFlag = static_cast<uint32_t>(choice.blocks) != choice.initialCount ? 1 : 0;
  const LinkResult got = c.link.run(p);
  c.state.commandReceived = got.commandReceived;
  c.state.fileReceived = got.fileReceived;
  if (!got.fileReceived) {
    ui.notify("GPS data was not received from the collar.", "ERROR", PromptIcon::Error);
    report.outcome = OffloadOutcome::NotReceived;
    return report;
  }

  const std::string backup =
      GpsBackupDir(c.state.programDirectory) + GpsBackupName(choice.collarId, c.clock.now());
  bool opened = false;
  const bool verified = CopyAndVerify(received, backup, &opened);
  if (!opened)
    ui.notify("Could not open the gps data file to create a backup copy.", "Error", PromptIcon::Error);
  else if (!verified)
    ui.notify("Could not create a backup gps data file.", "Error", PromptIcon::Error);
  if (verified) report.backupPath = backup;

  if (choice.blocks > 0) {
    const bool complete = verified && GpsFileIsComplete(received);
    if (!verified) {
      // The collar keeps its data until a copy of it is safely on disk.
      ui.notify("The collar's data pointer was not reset, because no verified backup copy of the GPS data "
                "exists.",
                kResetCaption, PromptIcon::Warning);
    } else if (!complete) {
      ui.notify("The collar's data pointer was not reset, because the received GPS data holds fewer blocks than "
                "its header announces.",
                kResetCaption, PromptIcon::Warning);
    } else if (ui.ask("GPS data was successfully received. Would you like to reset the datapointer?",
                      kResetCaption, PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes &&
               ui.ask(kResetQuestion, kResetCaption, PromptIcon::Question, PromptButtons::YesNo) ==
                   PromptAnswer::Yes) {
      LinkParams reset;
      reset.request = LinkRequest::ResetDataPointer;
      reset.port = c.state.comPort;
      const LinkResult r = c.link.run(reset);
      c.state.commandReceived = r.commandReceived;
      c.state.fileReceived = r.fileReceived;
      if (r.commandReceived) {
        report.resetDone = true;
        ui.notify("All data in the collar has been erased", kErasedCaption, PromptIcon::Information);
      } else {
        ui.notify(kResetFailed, "Error", PromptIcon::Error);
      }
    }
  }

  const TranslateResult t =
      TranslateGpsData(backup, received, choice.form, offset, choice.zoneText, &report.translation);
  const char* message = TranslateResultMessage(t);
  if (message) ui.notify(message, "View GPS Data", t == TranslateResult::ChecksumMismatch ? PromptIcon::Warning : PromptIcon::Error);
  if (t != TranslateResult::Ok && t != TranslateResult::ChecksumMismatch) {
    report.outcome = OffloadOutcome::TranslateFailed;
    return report;
  }
  if (report.translation.headerBlocks == 0) {
    // An empty memory translates to no rows; the received binary image must
    // not stay behind under the CSV's name.
    WriteFileAtomically(received, SummaryLines(0, choice.form, choice.zoneText));
  }
  report.outcome = OffloadOutcome::Viewed;
  if (c.view) c.view(received, report.backupPath);
  return report;
}

}  // namespace zelkor
