#include "link/link_request.h"

#include <cmath>

#include "app/paths.h"
#include "link/default_commands.h"

namespace zelkor {

RequestSetup SetUpRequest(const LinkParams& p, const std::string& programDirectory) {
  RequestSetup s;
  s.packetCount = 1;
  switch (p.request) {
    case LinkRequest::Offload:
      s.status = "Requesting GPS data. . .";
      s.commandFile = p.selectFlag == 1 ? kSelectCmd : kOffloadCmd;
      s.transferExpected = true;
      s.receivePath = GpsDataDir(programDirectory) + p.fileName;
      s.packetCount = static_cast<int32_t>(std::ceil((p.datablocks * 32.0 + 65.0) / 128.0));
      s.selectedByteCount = (static_cast<uint32_t>(p.datablocks) * 32 + 64) & 0xFFFFFF;
      s.expectedBytes = p.datablocks >= 0 ? static_cast<long>(p.datablocks) * 32 + 64 : 0;
      break;
    case LinkRequest::ResetDataPointer:
      s.status = "Requesting reset data pointer. . .";
      s.commandFile = kResetCmd;
      break;
    case LinkRequest::LoadAlmanac:
      s.status = "Requesting almanac information. . .";
      s.commandFile = kAlmanacCmd;
      break;
    case LinkRequest::DownloadConfig:
    case LinkRequest::DownloadConfigNoTrailer:
      s.status = "Requesting collar configuration. . .";
      s.commandFile = kSelectCmd;
      s.transferExpected = true;
      s.receivePath = ConfigBackupDir(programDirectory) + p.fileName;
      s.expectedBytes = 64;
      s.deleteOldReceiveFile = true;
      break;
    case LinkRequest::UploadConfig:
      s.status = "Requesting collar configuration upload. . .";
      s.commandFile = kConfigCmd;
      break;
    case LinkRequest::TwoWayGps:
      s.status = "Requesting two way GPS communication. . .";
      s.commandFile = kTwoWayCmd;
      break;
  }
  s.commandPath = CommandsDir(programDirectory) + s.commandFile;
  return s;
}

std::array<uint8_t, 4> SelectTrailer(uint32_t byteCount) {
  const uint8_t b1 = static_cast<uint8_t>((byteCount >> 16) & 0xFF);
  const uint8_t b2 = static_cast<uint8_t>((byteCount >> 8) & 0xFF);
  const uint8_t b3 = static_cast<uint8_t>(byteCount & 0xFF);
  return {b1, b2, b3, static_cast<uint8_t>(b1 + b2 + b3)};
}

}  // namespace zelkor
