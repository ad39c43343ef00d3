// One collar request: the state a link dialog shares with its worker
// thread, the worker itself, and the driver that a dialog (or the
// command-line tool) ticks every 50 ms.
//
// The worker measures every wait in ticks of the driver, never by a clock of
// its own. It never talks to the user: its messages queue up and the driver
// shows them on the caller's thread, in order, before the request ends.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/prompter.h"
#include "link/link_request.h"
#include "link/serial_port.h"
#include "link/xmodem_launcher.h"

namespace zelkor {

inline const char kPortInUse[] = "Error: Port in use or doesn't exist !";
inline const char kPortInUseCaption[] = "NVK XMODEM File Transfer";
inline const char kCommandFileMissing[] = "Command File was not found or could not be opened.";
inline const char kCommandFileMissingCaption[] = "File Open Error";
inline const char kNoReply[] = "Comm Buffer Read Error 5 secs.";
inline const char kNoReplyCaption[] = "Comm Buffer Error";
inline const char kNotReceivedStatus[] = "***Err: Command was not received!***";
inline const char kCancelledStatus[] = "Cancelled: nothing more was sent to the collar.";

// What the dialog shows; copied out under a lock.
struct LinkDisplay {
  std::string portText;
  std::string fileLabel = "Send/Rec Filename:";
  std::string fileName;
  std::string bytesSent;
  std::string status;
  // Transfer progress, fed from the helper's output.
  bool transferring = false;
  int packetsDone = 0;
  int packetTotal = 0;
  double bytesPerSecond = 0;
  int secondsLeft = -1;
  // The reason the transfer helper gave for a failure, if any.
  std::string transferError;
  // The helper could not write the file (a full disk): the line was fine.
  bool transferWriteFailed = false;
  // Packets the helper asked for again: damage on the line.
  int retransmissions = 0;
  // The step of a longer job, for people ("Reading it again to confirm").
  std::string stage;
  bool cancelling = false;
};

// One line for the main window's status bar while a request runs: the
// port, the step and how far it has come ("Com 1: Reading the collar's
// memory (first read): 120 of 258 packets, 0:41 left").
std::string StatusLine(const LinkDisplay& d);

struct LinkMessage {
  std::string text;
  std::string caption;
  PromptIcon icon = PromptIcon::Error;
  std::string details;  // the likely cause and what to do
};

class LinkShared {
 public:
  std::atomic<int> ticks{0};
  std::atomic<bool> closeRequested{false};
  std::atomic<bool> commandReceived{false};
  std::atomic<bool> fileReceived{false};
  std::atomic<bool> workerDone{false};
  // Set by the user's Cancel; the worker stops at the next safe point.
  std::atomic<bool> cancelRequested{false};
  // The request ended because of the cancel.
  std::atomic<bool> cancelled{false};

  LinkDisplay display() const;
  void update(const std::function<void(LinkDisplay&)>& change);
  void postMessage(LinkMessage message);
  std::optional<LinkMessage> takeMessage();
  bool hasMessages() const;

 private:
  mutable std::mutex mutex_;
  LinkDisplay display_;
  std::deque<LinkMessage> messages_;
};

// The worker's run: the steps from the command file to the result flags.
void RunLinkWorker(LinkShared& shared, SerialPort& serial, const LinkParams& params,
                   const RequestSetup& setup, const std::string& programDirectory, XmodemLauncher& launcher);

// Parses a helper progress line "packet N of M" (or "packet N").
bool ParseProgressLine(const std::string& line, int* done, int* total);

struct LinkResult {
  LinkResult() = default;
  LinkResult(bool command, bool file) : commandReceived(command), fileReceived(file) {}
  bool portFailed = false;  // the port could not be opened: nothing was sent
  bool commandReceived = false;
  bool fileReceived = false;
  bool cancelled = false;     // the user cancelled; nothing was received
  bool cancelRequested = false;  // the user asked to cancel, even after the transfer was over
  std::string transferError;  // why the helper failed, when it said
  bool transferWriteFailed = false;  // the file could not be written; the line was fine
  int retransmissions = 0;    // packets asked for again during the transfer
  // With LinkParams::quietFailures: what the link would have said.
  std::vector<LinkMessage> problems;
};

// What the link found, in words, for a caller that says it once: the
// kept-back messages (LinkParams::quietFailures), each with its details.
std::string ProblemsText(const LinkResult& result);

// Opens the port, sets up the request and starts the worker; then tick()
// every 50 ms until it returns true. Messages are shown through the
// prompter from inside tick(), on the caller's thread.
class LinkDriver {
 public:
  LinkDriver(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter, LinkParams params,
             std::string programDirectory);
  ~LinkDriver();

  void start();
  // One timer tick. Returns true once the request has ended: the worker has
  // finished (or never started) and every message has been shown.
  bool tick();
  // Asks the request to stop: before its command is sent nothing is sent;
  // during a transfer the collar is sent CAN CAN and nothing is kept. A
  // command that needs no transfer is not interrupted once it has been sent.
  void cancel();
  LinkDisplay display() const { return shared_.display(); }
  LinkResult result() const;
  const LinkShared& shared() const { return shared_; }

 private:
  SerialPort& serial_;
  XmodemLauncher& launcher_;
  Prompter& prompter_;
  LinkParams params_;
  std::string programDirectory_;
  LinkShared shared_;
  std::thread worker_;
  bool showing_ = false;
  bool finished_ = false;
  bool portFailed_ = false;
  std::vector<LinkMessage> problems_;  // messages kept back (quietFailures)
  bool cancelAsked_ = false;
};

// Runs a request to its end on the calling thread, ticking every 50 ms;
// onTick sees the display after each tick. For headless use; cancelled,
// when given, is polled every tick.
LinkResult RunLinkHeadless(SerialPort& serial, XmodemLauncher& launcher, Prompter& prompter,
                           const LinkParams& params, const std::string& programDirectory,
                           const std::function<void(const LinkDisplay&)>& onTick = {},
                           const std::function<bool()>& cancelled = {});

}  // namespace zelkor
