#include "collar_protocol.h"

#include <cstdio>

#include "link/xmodem.h"
#include "util/endian.h"

namespace collarsim {

using namespace zelkor;

Collar::Collar(SimState& state, std::string statePath, std::vector<CommandFile> commands, Behaviour behaviour,
               FaultyChannel& line, bool verbose)
    : state_(state),
      statePath_(std::move(statePath)),
      commands_(std::move(commands)),
      behaviour_(behaviour),
      line_(line),
      verbose_(verbose) {}

void Collar::log(const std::string& text) {
  if (verbose_) {
    std::fprintf(stderr, "collar-sim: %s\n", text.c_str());
    std::fflush(stderr);
  }
}

void Collar::save() {
  if (!statePath_.empty() && !SaveState(statePath_, state_)) log("cannot write the state file " + statePath_);
}

void Collar::reply(uint8_t byte) {
  if (behaviour_.silent) return;
  line_.write(&byte, 1);
}

bool Collar::readExact(std::vector<uint8_t>& out, size_t count, int timeoutMs) {
  out.clear();
  while (out.size() < count) {
    const int c = line_.read(timeoutMs);
    if (c < 0) return false;
    out.push_back(static_cast<uint8_t>(c));
  }
  return true;
}

void Collar::sendBytes(const std::vector<uint8_t>& bytes, const char* what) {
  XmodemSendOptions o;
  o.cutAfterPackets = behaviour_.cutAfterPackets;
  line_.restartPacing();
  const XmodemSendResult r = XmodemSend(line_, bytes, o);
  log(std::string("sent ") + what + ": " + XmodemStatusText(r.status) + ", " + std::to_string(r.packets) +
      " packets, " + std::to_string(r.retries) + " retries");
}

void Collar::handle(const CommandFile& command) {
  log("command " + command.name);
  if (behaviour_.silent) return;
  if (behaviour_.nakAll) {
    reply(kNak);
    return;
  }
  const std::string& name = command.name;
  if (name == kResetCmd) {
    state_.setDataPointer(64);
    save();
    reply(kAck);
  } else if (name == kAlmanacCmd || name == kTwoWayCmd) {
    reply(kAck);
  } else if (name == kOffloadCmd) {
    reply(kAck);
    const uint32_t pointer = std::max<uint32_t>(64, std::min<uint32_t>(state_.dataPointer(), kMemorySize));
    sendBytes(std::vector<uint8_t>(state_.memory.begin(), state_.memory.begin() + pointer), "data memory");
  } else if (name == kSelectCmd) {
    std::vector<uint8_t> trailer;
    if (!readExact(trailer, 4, 1500)) {
      if (!trailer.empty()) return;  // a broken trailer gets no answer
      reply(kAck);
      sendBytes(state_.record(), "configuration");
      return;
    }
    if (static_cast<uint8_t>(trailer[0] + trailer[1] + trailer[2]) != trailer[3]) {
      log("trailer sum wrong");
      reply(kNak);
      return;
    }
    const uint32_t count = ReadBe24(trailer.data());
    reply(kAck);
    if (count == 0x0E) {
      sendBytes(state_.record(), "configuration");
    } else {
      const uint32_t n = std::min<uint32_t>(count, kMemorySize);
      sendBytes(std::vector<uint8_t>(state_.memory.begin(), state_.memory.begin() + n), "selected data");
    }
  } else if (name == kConfigCmd) {
    std::vector<uint8_t> upload;
    if (!readExact(upload, 67, 2000)) {
      log("upload incomplete");
      return;
    }
    uint8_t sum = 0;
    for (size_t i = 0; i < 66; ++i) sum = static_cast<uint8_t>(sum + upload[i]);
    if (sum != upload[66]) {
      log("upload sum wrong");
      reply(kNak);
      return;
    }
    if (ReadBe16(upload.data()) != state_.collarId()) {
      log("upload addressed to another collar");
      reply(kNak);
      return;
    }
    // The record is taken as sent, data pointer included: the program
    // verifies an upload by reading all 64 bytes back. An upload with no
    // datablocks empties the memory.
    std::copy(upload.begin() + 2, upload.begin() + 66, state_.memory.begin());
    if (state_.dataPointer() < 64 || state_.dataPointer() > kMemorySize) state_.setDataPointer(64);
    save();
    reply(kAck);
  }
}

void Collar::serve(const volatile bool& stop) {
  std::vector<uint8_t> buffer;
  while (!stop) {
    const int c = line_.read(buffer.empty() ? 200 : 2000);
    if (c == kChannelClosed) return;
    if (c == kReadTimeout) {
      if (!buffer.empty()) log("discarded " + std::to_string(buffer.size()) + " stale bytes");
      buffer.clear();
      continue;
    }
    buffer.push_back(static_cast<uint8_t>(c));
    for (;;) {
      const CommandFile* match = nullptr;
      bool prefix = false;
      for (const CommandFile& cmd : commands_) {
        if (cmd.bytes.empty()) continue;
        if (cmd.bytes == buffer) match = &cmd;
        if (cmd.bytes.size() > buffer.size() && std::equal(buffer.begin(), buffer.end(), cmd.bytes.begin()))
          prefix = true;
      }
      if (match) {
        buffer.clear();
        handle(*match);
        break;
      }
      if (prefix || buffer.empty()) break;
      buffer.erase(buffer.begin());  // a stale byte: drop it and look again
    }
  }
}

}  // namespace collarsim
