// The seven collar requests and what each one sends and receives.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace zelkor {

enum class LinkRequest : int32_t {
  Offload = 0,
  ResetDataPointer = 1,
  LoadAlmanac = 2,
  DownloadConfig = 3,
  DownloadConfigNoTrailer = 4,
  UploadConfig = 5,
  TwoWayGps = 6,
};

// What the caller gives a link dialog before it runs.
struct LinkParams {
  LinkRequest request = LinkRequest::ResetDataPointer;
  int32_t port = 0;          // 0-based, normally comPort
  std::string fileName;      // name of the file to receive, without folder
  int32_t datablocks = 0;    // Offload only
  int32_t selectFlag = 0;    // Offload: 1 = only datablocks blocks
  std::array<uint8_t, 66> uploadRecord{};  // UploadConfig: ID high, ID low, 64 bytes
  std::string uploadPathText;
  // Called on the link's worker once a file has arrived; a text it returns
  // is the dialog's last status line ("Configuration verified on ...").
  std::function<std::string()> closingLine;
  // Where the packets of a transfer that fails on the line are left (a
  // scratch file of the caller's), for comparing with another read; empty:
  // nowhere.
  std::string partialPath;
  // The step of a longer job this request is, for people: "Reading the
  // collar's memory (first read)". Empty: none.
  std::string stage;
  // The link's own failure messages are handed back in LinkResult instead
  // of being shown, for a caller that says once what went wrong.
  bool quietFailures = false;
};

// The request table, resolved against the program directory.
struct RequestSetup {
  std::string status;           // status text at start
  std::string commandFile;      // name in "Commands"
  std::string commandPath;      // full path
  bool transferExpected = false;
  std::string receivePath;      // empty when nothing is received
  int32_t packetCount = 1;
  long expectedBytes = 0;          // what the transfer brings, when known
  uint32_t selectedByteCount = 0;  // Offload with selectFlag 1
  bool deleteOldReceiveFile = false;
};

RequestSetup SetUpRequest(const LinkParams& params, const std::string& programDirectory);

// The Offload trailer for a byte count: three bytes, most significant
// first, then their sum modulo 256.
std::array<uint8_t, 4> SelectTrailer(uint32_t byteCount);

}  // namespace zelkor
