#include "link/link_session.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

LinkDisplay LinkShared::display() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return display_;
}

void LinkShared::update(const std::function<void(LinkDisplay&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  change(display_);
}

void LinkShared::postMessage(LinkMessage message) {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.push_back(std::move(message));
}

std::optional<LinkMessage> LinkShared::takeMessage() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (messages_.empty()) return std::nullopt;
  LinkMessage m = messages_.front();
  messages_.pop_front();
  return m;
}

bool LinkShared::hasMessages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !messages_.empty();
}

std::string StatusLine(const LinkDisplay& d) {
  std::string line = d.portText.empty() ? std::string() : d.portText + ": ";
  line += d.stage.empty() ? d.status : d.stage;
  if (d.cancelling) return line + ": cancelling";
  if (d.transferring && d.packetTotal > 0) {
    line += Format(": %d of %d packets", d.packetsDone, d.packetTotal);
    if (d.secondsLeft >= 0) line += Format(", %d:%02d left", d.secondsLeft / 60, d.secondsLeft % 60);
  } else if (!d.stage.empty() && !d.status.empty()) {
    line += ": " + d.status;
  }
  return line;
}

std::string ProblemsText(const LinkResult& r) {
  std::string text;
  for (const LinkMessage& m : r.problems)
    text += (text.empty() ? "" : " ") + m.text + (m.details.empty() ? "" : " " + m.details);
  return text;
}

bool ParseProgressLine(const std::string& line, int* done, int* total) {
  int d = 0, t = 0;
  if (std::sscanf(line.c_str(), "packet %d of %d", &d, &t) == 2) {
    *done = d;
    *total = t;
    return true;
  }
  if (std::sscanf(line.c_str(), "packet %d", &d) == 1) {
    *done = d;
    *total = 0;
    return true;
  }
  return false;
}

namespace {

// Waits until pred() holds or `limit` ticks have passed since the reset.
template <typename Pred>
void WaitTicks(LinkShared& shared, int limit, Pred pred) {
  shared.ticks = 0;
  while (shared.ticks < limit && !pred()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void WaitTicks(LinkShared& shared, int limit) {
  WaitTicks(shared, limit, [] { return false; });
}

void SendByte(SerialPort& serial, int port, uint8_t b) { serial.writeByte(port, b); }

void PatchPointer(const std::string& path, const std::array<uint8_t, 4>& trailer) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return;
  if (std::fseek(f, 1, SEEK_SET) == 0) std::fwrite(trailer.data(), 1, 3, f);
  std::fclose(f);
}

}  // namespace

void RunLinkWorker(LinkShared& shared, SerialPort& serial, const LinkParams& params,
                   const RequestSetup& setup, const std::string& programDirectory, XmodemLauncher& launcher) {
  const int port = params.port & 0xFF;
  const int previous = serial.setPortOption(port, 128, 0);
  shared.update([&](LinkDisplay& d) {
    d.fileLabel = "Transmitting File";
    d.fileName = setup.commandFile;
  });

  auto finish = [&] {
    serial.setPortOption(port, previous, 0);
    serial.closePort(port);
    shared.closeRequested = true;
    shared.workerDone = true;
  };
  auto endCancelled = [&] {
    shared.cancelled = true;
    shared.fileReceived = false;
    shared.update([](LinkDisplay& d) {
      d.status = kCancelledStatus;
      d.transferring = false;
    });
    finish();
  };
  // Tells a collar that has started (or is about to start) a transfer that
  // nobody will take it.
  // Discards what waits on the line: nothing the collar sent before a
  // command can be its reply to it.
  auto discardInput = [&] {
    uint8_t b;
    for (int i = 0; i < 100000 && serial.bytesWaiting(port, 0) != 0; ++i)
      if (serial.readByte(port, &b) != 0) break;
  };
  auto sendCancel = [&] {
    for (int i = 0; i < 3; ++i) SendByte(serial, port, 0x18);
    WaitTicks(shared, 20, [&] { return serial.outputDrained(port, 1) & 0xFF; });
    // The collar may still finish the packet it was sending; let it, and
    // drop it, until the line has been quiet for half a second (5 s at most).
    shared.ticks = 0;
    for (int lastByte = 0; shared.ticks - lastByte < 10 && shared.ticks < 100;) {
      if (serial.bytesWaiting(port, 0) != 0) {
        discardInput();
        lastByte = shared.ticks;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  };

  if (shared.cancelRequested) return endCancelled();
  discardInput();
  std::string commandBytes, why;
  if (!ReadWholeFile(setup.commandPath, &commandBytes, &why, 1u << 20)) {
    shared.postMessage({kCommandFileMissing, kCommandFileMissingCaption, PromptIcon::Error,
                        setup.commandPath + " cannot be read (" + why +
                            "). Put the collar's command files in the Commands folder (a folder without them gets "
                            "the shipped ones at the next start)."});
    finish();  // the port is closed here too, not left to the next request
    return;
  }
  int sent = 0;
  for (const char c : commandBytes) {
    SendByte(serial, port, static_cast<uint8_t>(c));
    ++sent;
    shared.update([&](LinkDisplay& d) { d.bytesSent = Format("%d", sent); });
  }

  WaitTicks(shared, 80, [&] { return serial.outputDrained(port, 1) & 0xFF; });

  const std::array<uint8_t, 4> select = SelectTrailer(setup.selectedByteCount);
  switch (params.request) {
    case LinkRequest::Offload:
      WaitTicks(shared, 5);
      if (params.selectFlag == 1)
        for (uint8_t b : select) SendByte(serial, port, b);
      break;
    case LinkRequest::DownloadConfig:
      WaitTicks(shared, 5);
      for (uint8_t b : {0x00, 0x00, 0x0E, 0x0E}) SendByte(serial, port, b);
      WaitTicks(shared, 80, [&] { return serial.outputDrained(port, 1) & 0xFF; });
      break;
    case LinkRequest::UploadConfig: {
      WaitTicks(shared, 5);
      uint8_t sum = static_cast<uint8_t>(params.uploadRecord[0] + params.uploadRecord[1]);
      SendByte(serial, port, params.uploadRecord[0]);
      SendByte(serial, port, params.uploadRecord[1]);
      for (int i = 0; i < 64; ++i) {
        const uint8_t b = params.uploadRecord[static_cast<size_t>(2 + i)];
        SendByte(serial, port, b);
        sum = static_cast<uint8_t>(sum + b);
        shared.update([&](LinkDisplay& d) { d.bytesSent = Format("%d", i + 1); });
      }
      SendByte(serial, port, sum);
      WaitTicks(shared, 10);
      break;
    }
    default:
      break;
  }

  // A transfer not yet begun can be called off while the reply is awaited.
  WaitTicks(shared, 80, [&] {
    return serial.bytesWaiting(port, 0) != 0 || (setup.transferExpected && shared.cancelRequested);
  });
  if (setup.transferExpected && shared.cancelRequested) {
    sendCancel();
    return endCancelled();
  }
  int reply = -1;
  if (serial.bytesWaiting(port, 0) == 0) {
    shared.postMessage({kNoReply, kNoReplyCaption, PromptIcon::Error,
                        "The collar did not answer within 5 seconds. Check the cable and the port (" +
                            serial.portName(port) + "), and wake the collar with its magnet."});
  } else {
    uint8_t b = 0;
    if (serial.readByte(port, &b) == 0) reply = b;
  }

  if (reply == 0x06) {
    shared.commandReceived = true;
    if (setup.transferExpected) {
      shared.update([](LinkDisplay& d) { d.status = "Request accepted. . ."; });
      // The helper opens the port itself, unless the port is held for a
      // whole sequence: then it receives on our descriptor.
      serial.closePort(port);
      HelperRun run;
      run.args = {Format("%d", port + 1), "4800", "8", "2",
                  setup.packetCount ? Format("%d", setup.packetCount) : std::string(), "N", programDirectory,
                  setup.receivePath};
      run.workingDir = programDirectory;
      run.portDescriptor = serial.heldDescriptor(port);
      run.cancelled = [&] { return shared.cancelRequested.load(); };
      if (setup.expectedBytes > 0) run.environment[kExpectedBytesVariable] = Format("%ld", setup.expectedBytes);
      if (!params.partialPath.empty()) run.environment[kPartialPathVariable] = params.partialPath;
      const auto started = std::chrono::steady_clock::now();
      shared.update([&](LinkDisplay& d) {
        d.transferring = true;
        d.packetTotal = setup.packetCount;
      });
      run.onLine = [&](const std::string& line) {
        if (line.compare(0, 7, "error: ") == 0) {
          shared.update([&](LinkDisplay& d) { d.transferError = line.substr(7); });
          return;
        }
        if (line == "error-kind: write") {
          shared.update([](LinkDisplay& d) { d.transferWriteFailed = true; });
          return;
        }
        int retries = 0;
        if (std::sscanf(line.c_str(), "retransmissions %d", &retries) == 1) {
          shared.update([&](LinkDisplay& d) { d.retransmissions = retries; });
          return;
        }
        int done = 0, total = 0;
        if (!ParseProgressLine(line, &done, &total)) return;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        shared.update([&](LinkDisplay& d) {
          d.packetsDone = done;
          if (total > 0) d.packetTotal = total;
          d.bytesPerSecond = seconds > 0 ? done * 128.0 / seconds : 0;
          d.secondsLeft = d.bytesPerSecond > 0 && d.packetTotal >= done
                              ? static_cast<int>((d.packetTotal - done) * 128.0 / d.bytesPerSecond + 0.5)
                              : -1;
        });
      };
      const int status = launcher.run(run);
      shared.update([](LinkDisplay& d) { d.transferring = false; });
      if (status == -1) {
        shared.fileReceived = false;
        // A helper that died (or gave up) may leave the collar sending into
        // the void until its own timeouts run out: tell it to stop.
        serial.openPort(port);
        sendCancel();
        if (shared.cancelRequested) return endCancelled();
      } else {
        shared.fileReceived = true;
        if (params.request == LinkRequest::Offload && params.selectFlag == 1)
          PatchPointer(setup.receivePath, select);
        // A caller's word on what arrived stays on the last line a moment.
        if (params.closingLine) {
          const std::string line = params.closingLine();
          if (!line.empty()) {
            shared.update([&](LinkDisplay& d) { d.status = line; });
            WaitTicks(shared, 30);
          }
        }
      }
    } else {
      shared.update([](LinkDisplay& d) { d.status = "Command received!"; });
    }
  } else {
    shared.commandReceived = false;
    shared.update([](LinkDisplay& d) { d.status = kNotReceivedStatus; });
  }
  finish();
}

LinkDriver::LinkDriver(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter, LinkParams params,
                       std::string programDirectory)
    : serial_(serial),
      launcher_(launcher),
      prompter_(prompter),
      params_(std::move(params)),
      programDirectory_(std::move(programDirectory)) {}

LinkDriver::~LinkDriver() {
  if (!worker_.joinable()) return;
  // The window went before the request ended (the program is closing):
  // stop the request, and keep its clock going until it has stopped, for
  // the worker counts its waits in the window's ticks.
  if (!shared_.workerDone) {
    shared_.cancelRequested = true;
    while (!shared_.workerDone) {
      ++shared_.ticks;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  worker_.join();
}

void LinkDriver::start() {
  shared_.closeRequested = false;
  const int port = params_.port & 0xFF;
  shared_.update([&](LinkDisplay& d) {
    d.portText = Format("Com %d", port + 1);
    d.stage = params_.stage;
  });
  serial_.closePort(port);
  serial_.openPort(port);
  bool failed = false;
  if (serial_.checkPort(port) & 0xFFFF) {
    // The reason names the device ("/dev/ttyUSB0 is in use by another
    // program", or the group the user lacks).
    std::string why = serial_.openProblem(port);
    why = why.empty() ? serial_.portName(port) + ": it is in use by another program, or it does not exist."
                      : Format("COM%d: ", port + 1) + why;
    shared_.postMessage(
        {kPortInUse, kPortInUseCaption, PromptIcon::Error, why + " Choose the port under Settings > Com Port."});
    failed = true;
    portFailed_ = true;
  } else {
    serial_.configurePort(port, 4800, 8, 2, 'N', 0);
  }
  shared_.commandReceived = false;
  shared_.fileReceived = false;
  if (failed) {
    shared_.closeRequested = true;
    shared_.workerDone = true;
    return;
  }
  const RequestSetup setup = SetUpRequest(params_, programDirectory_);
  shared_.update([&](LinkDisplay& d) {
    d.status = setup.status;
    d.fileLabel = params_.uploadPathText.empty() ? d.fileLabel : params_.uploadPathText;
  });
  if (setup.deleteOldReceiveFile) {
    std::error_code ec;
    std::filesystem::remove(setup.receivePath, ec);
  }
  worker_ = std::thread([this, setup] {
    RunLinkWorker(shared_, serial_, params_, setup, programDirectory_, launcher_);
  });
}

void LinkDriver::cancel() {
  // A cancel that comes when the transfer is over is still the user's word:
  // the caller hears of it and goes no further.
  cancelAsked_ = true;
  if (finished_ || shared_.workerDone) return;
  shared_.cancelRequested = true;
  shared_.update([](LinkDisplay& d) { d.cancelling = true; });
}

LinkResult LinkDriver::result() const {
  LinkResult r;
  r.portFailed = portFailed_;
  r.commandReceived = shared_.commandReceived;
  r.fileReceived = shared_.fileReceived;
  r.cancelled = shared_.cancelled;
  r.cancelRequested = cancelAsked_;
  const LinkDisplay d = shared_.display();
  r.transferError = d.transferError;
  r.transferWriteFailed = d.transferWriteFailed;
  r.retransmissions = d.retransmissions;
  r.problems = problems_;
  return r;
}

bool LinkDriver::tick() {
  if (finished_) return true;
  ++shared_.ticks;
  if (showing_) return false;  // a message box is open; its loop ticks us
  showing_ = true;
  while (auto m = shared_.takeMessage()) {
    if (params_.quietFailures)
      problems_.push_back(*m);
    else
      prompter_.notify(m->text, m->caption, m->icon, {m->details, {}});
  }
  showing_ = false;
  if (shared_.closeRequested && shared_.workerDone && !shared_.hasMessages()) {
    if (worker_.joinable()) worker_.join();
    finished_ = true;
  }
  return finished_;
}

LinkResult RunLinkHeadless(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter,
                           const LinkParams& params, const std::string& programDirectory,
                           const std::function<void(const LinkDisplay&)>& onTick,
                           const std::function<bool()>& cancelled) {
  LinkDriver driver(serial, launcher, prompter, params, programDirectory);
  driver.start();
  auto next = std::chrono::steady_clock::now();
  for (;;) {
    next += std::chrono::milliseconds(50);
    std::this_thread::sleep_until(next);
    if (cancelled && cancelled()) driver.cancel();
    const bool done = driver.tick();
    if (onTick) onTick(driver.display());
    if (done) break;
  }
  return driver.result();
}

}  // namespace zelkor
