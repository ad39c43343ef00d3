#include "config/config_workflow.h"

#include "util/endian.h"

#include <cctype>
#include <cstdlib>

#include "config/config_file.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace zelkor {

ConfigFields FieldsFrom(const CollarConfig& c) {
  ConfigFields f;
  f.collarId = Format("%d", static_cast<int>(c.collarId));
  f.softwareVersion = Format("%d", static_cast<int>(c.softwareVersion));
  f.dataBlockCount = Format("%d", static_cast<int>(c.dataBlockCount));
  f.cumulativeGpsOnHours = Format("%d", static_cast<int>(c.cumulativeGpsOnHours));
  f.backupBatteryHours = Format("%d", static_cast<int>(c.backupBatteryHours));
  f.maxFixDurationSeconds = c.maxFixDurationSeconds;
  f.validFixesRequired = c.validFixesRequired;
  f.almanacPeriodHours = c.almanacPeriodHours;
  return f;
}

namespace {
// An unsigned decimal number at the start of the text (after blanks).
bool ParseUnsigned(const std::string& text, uint32_t* out) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  uint64_t v = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    v = (v * 10 + static_cast<uint64_t>(text[i] - '0')) & 0xFFFFFFFFull;
  *out = static_cast<uint32_t>(v);
  return true;
}
}  // namespace

void StoreFields(const ConfigFields& f, CollarConfig& c, uint32_t rememberedBatteryHours) {
  uint32_t v;
  if (ParseUnsigned(f.collarId, &v)) c.collarId = v & 0xFFFF;
  if (ParseUnsigned(f.softwareVersion, &v)) c.softwareVersion = static_cast<uint8_t>(v & 0xFF);
  if (ParseUnsigned(f.cumulativeGpsOnHours, &v)) c.cumulativeGpsOnHours = v & 0xFFFF;
  if (ParseUnsigned(f.backupBatteryHours, &v)) c.backupBatteryHours = v;
  if (ParseUnsigned(f.dataBlockCount, &v)) c.dataBlockCount = v;
  c.maxFixDurationSeconds = static_cast<uint8_t>(f.maxFixDurationSeconds);
  c.validFixesRequired = static_cast<uint8_t>(f.validFixesRequired);
  c.almanacPeriodHours = static_cast<uint8_t>(f.almanacPeriodHours);
  if (c.backupBatteryHours != rememberedBatteryHours) {
    c.backupBatteryMinutes = 0;
    c.backupBatterySecondsPart = 0;
  }
}

namespace {
std::string Rate(int h, int m) { return Format("%d h %d min", h, m); }
std::string OnOff(bool b) { return b ? "on" : "off"; }
std::string Days(const WeekdayFlags& w) {
  static const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string s;
  for (int i = 0; i < 7; ++i)
    if (w[static_cast<size_t>(i)]) s += (s.empty() ? "" : " ") + std::string(names[i]);
  return s.empty() ? "none" : s;
}
int Quarters(const QuarterGrid& g) {
  int n = 0;
  for (int m = 1; m <= 12; ++m)
    for (int q = 0; q < 4; ++q) n += g.quarter(m, q);
  return n;
}
}  // namespace

std::vector<std::string> DescribeChanges(const CollarConfig& a, const CollarConfig& b) {
  std::vector<std::string> out;
  auto add = [&out](const char* name, const std::string& x, const std::string& y) {
    if (x != y) out.push_back(std::string(name) + ": " + x + " -> " + y);
  };
  auto num = [](long v) { return std::to_string(v); };
  add("Collar ID", num(a.collarId), num(b.collarId));
  add("Collar software version", num(a.softwareVersion), num(b.softwareVersion));
  add("Number of GPS datablocks", num(a.dataBlockCount), num(b.dataBlockCount));
  add("Cumulative GPS on time (hrs)", num(a.cumulativeGpsOnHours), num(b.cumulativeGpsOnHours));
  add("Backup battery usage", Format("%u h %u min %u s", a.backupBatteryHours, a.backupBatteryMinutes, a.backupBatterySecondsPart),
      Format("%u h %u min %u s", b.backupBatteryHours, b.backupBatteryMinutes, b.backupBatterySecondsPart));
  add("Maximum fix duration (seconds)", num(a.maxFixDurationSeconds), num(b.maxFixDurationSeconds));
  add("Valid fixes required", num(a.validFixesRequired), num(b.validFixesRequired));
  add("Period between almanac fixes (hrs)", num(a.almanacPeriodHours), num(b.almanacPeriodHours));
  add("Primary GPS fix rate", Rate(a.primaryRateHours, a.primaryRateMinutes), Rate(b.primaryRateHours, b.primaryRateMinutes));
  add("GPS fix retries", OnOff(a.retriesEnabled), OnOff(b.retriesEnabled));
  add("Retry delay (mins)", num(a.retryDelayMinutes), num(b.retryDelayMinutes));
  add("Maximum retries", num(a.maxRetries), num(b.maxRetries));
  add("Auxiliary GPS fix rate", Rate(a.auxRateHours, a.auxRateMinutes), Rate(b.auxRateHours, b.auxRateMinutes));
  add("Auxiliary retries", OnOff(a.auxRetriesEnabled), OnOff(b.auxRetriesEnabled));
  add("Auxiliary retry delay (mins)", num(a.auxRetryDelayMinutes), num(b.auxRetryDelayMinutes));
  add("Auxiliary maximum retries", num(a.auxMaxRetries), num(b.auxMaxRetries));
  add("Auxiliary start hour (UTC)", num(a.auxStartHourUtc), num(b.auxStartHourUtc));
  add("Auxiliary stop hour (UTC)", num(a.auxStopHourUtc), num(b.auxStopHourUtc));
  add("Auxiliary weekdays", Days(a.auxWeekdays), Days(b.auxWeekdays));
  if (!(a.auxDays == b.auxDays))
    out.push_back(Format("Auxiliary calendar: %d -> %d quarters of the year", Quarters(a.auxDays), Quarters(b.auxDays)));
  add("Transmitter on hour (UTC)", num(a.transmitterOnHourUtc), num(b.transmitterOnHourUtc));
  add("Transmitter off hour (UTC)", num(a.transmitterOffHourUtc), num(b.transmitterOffHourUtc));
  add("Transmitter weekdays", Days(a.transmitterWeekdays), Days(b.transmitterWeekdays));
  if (!(a.transmitterDays == b.transmitterDays))
    out.push_back(Format("Transmitter calendar: %d -> %d quarters of the year", Quarters(a.transmitterDays),
                         Quarters(b.transmitterDays)));
  add("Transmitter on after power-up (hrs)", num(a.transmitterOnAfterPowerUpHours), num(b.transmitterOnAfterPowerUpHours));
  add("Days until release", num(a.releaseHours / 24), num(b.releaseHours / 24));
  add("Mortality enabled", OnOff(a.mortalityEnabled), OnOff(b.mortalityEnabled));
  add("Hold in mortality", OnOff(a.holdInMortality), OnOff(b.holdInMortality));
  add("Slow mortality", OnOff(a.slowMortality), OnOff(b.slowMortality));
  add("Duty cycle override of mortality", OnOff(a.dutyCycleOverride), OnOff(b.dutyCycleOverride));
  add("Hours of inactivity to trigger", Format("%.2f", a.mortalityTriggerHours), Format("%.2f", b.mortalityTriggerHours));
  return out;
}

ConfigOutcome RunConfigWorkflow(ConfigWorkflowContext& c) {
  // A configuration that cannot be read is never shown or sent: what is in
  // memory may belong to another collar.
  const std::string dir = c.workingPath.substr(0, c.workingPath.find_last_of("/\\") + 1);
  if (c.downloaded.size() >= kConfigRecordSize) {
    CollarConfigRecord raw{};
    std::copy(c.downloaded.begin(), c.downloaded.begin() + kConfigRecordSize, raw.begin());
    DecodeConfig(raw, c.config);
    MakeConfigBackupOf(std::string(c.downloaded.begin(), c.downloaded.end()), dir, c.config.collarId, c.clock,
                       c.prompter);
  } else {
    if (ReadConfig(c.workingPath, c.config, c.prompter) != ConfigFileStatus::Ok) {
      c.commands.postCommand(kCmdCollarCommands);
      return ConfigOutcome::ReadFailed;
    }
    MakeConfigBackup(c.workingPath, dir, c.config.collarId, c.clock, c.prompter);
  }
  ConfigFields fields = FieldsFrom(c.config);
  auto busy = [&c](bool b) {
    if (c.setBusy) c.setBusy(b);
  };
  busy(true);
  const uint32_t rememberedId = c.config.collarId;
  const uint32_t rememberedBattery = c.config.backupBatteryHours;
  const CollarConfig asRead = c.config;

  if (!c.dialog.run(fields)) {
    busy(false);
    return ConfigOutcome::Cancelled;
  }
  if (c.viewOnly) {
    c.commands.postCommand(kCmdCollarCommands);
    busy(false);
    return ConfigOutcome::Viewed;
  }
  StoreFields(fields, c.config, rememberedBattery);

  std::string fileName;
  for (;;) {
    const OptionsChoice choice = c.options.run(DescribeChanges(asRead, c.config), fileName);
    if (choice == OptionsChoice::Cancel) {
      c.commands.postCommand(kCmdCollarCommands);
      busy(false);
      return ConfigOutcome::OptionsCancelled;
    }
    if (choice == OptionsChoice::SaveToFile) {
      if (fileName.empty()) {
        c.prompter.notify("Choose a file to save the configuration to.", "Save to file", PromptIcon::Warning);
      } else if (WriteConfig(fileName, c.config, c.prompter) == ConfigFileStatus::Ok) {
        c.prompter.notify(Format("The configuration was saved to %s.", fileName.c_str()), "Save to file",
                          PromptIcon::Information);
      }
      continue;
    }
    WriteConfig(c.workingPath, c.config, c.prompter);
    const CollarConfigRecord sent = c.config.raw;
    // The upload, the pause and the read-back are one collar sequence: the
    // port stays locked from the first byte sent to the last byte read.
    SequenceHold hold(c.link, c.comPort);
    LinkParams up;
    up.request = LinkRequest::UploadConfig;
    up.port = c.comPort;
    up.uploadRecord[0] = static_cast<uint8_t>((rememberedId >> 8) & 0xFF);
    up.uploadRecord[1] = static_cast<uint8_t>(rememberedId & 0xFF);
    std::copy(sent.begin(), sent.end(), up.uploadRecord.begin() + 2);
    up.uploadPathText = c.workingPath;
    up.stage = "Sending the configuration";
    LinkResult last = c.link.run(up);
    if (c.wait) c.wait(1000);
    const std::string verifiedText =
        Format("Configuration verified on collar %u", static_cast<unsigned>(ReadBe16(sent.data() + 12)));
    bool verified = false;
    if (last.commandReceived) {
      c.viewOnly = true;
      // Read back into a scratch file of this job; the working file takes
      // what came back once it is whole.
      const std::string scratch = ScratchName("CollarConfig.cfg");
      const std::string scratchPath = dir + scratch;
      LinkParams down;
      down.request = LinkRequest::DownloadConfig;
      down.port = c.comPort;
      down.fileName = scratch;
      down.stage = "Checking what the collar stored";
      // The transfer window's last line says so as soon as the read-back
      // matches what was sent.
      down.closingLine = [scratchPath, sent, verifiedText] {
        CollarConfig back;
        return ReadConfigFile(scratchPath, back) == ConfigFileStatus::Ok && back.raw == sent ? verifiedText
                                                                                              : std::string();
      };
      last = c.link.run(down);
      if (last.fileReceived) {
        CollarConfig readBack;
        if (ReadConfig(scratchPath, readBack, c.prompter) == ConfigFileStatus::Ok) {
          c.config = readBack;
          verified = c.config.raw == sent;
          // The working file holds what the collar holds, as it came back.
          WriteFileAtomically(c.workingPath, std::string(readBack.raw.begin(), readBack.raw.end()));
        }
      }
      DiscardFile(scratchPath);
    }
    if (verified) {
      if (c.status) c.status(verifiedText);
      c.commands.postCommand(kCmdCollarCommands);
      busy(false);
      return ConfigOutcome::Verified;
    }
    c.prompter.notify(kUploadFailed, "Upload", PromptIcon::Error);
  }
}

}  // namespace zelkor
