// XMODEM with 128-byte packets and the 8-bit checksum, NAK-initiated.
// Transport-agnostic: the receiver runs in the transfer helper, the sender
// in the simulated collar, and both in tests over in-memory pipes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/byte_channel.h"

namespace zelkor {

constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr uint8_t kPadByte = 0x1A;
constexpr size_t kXmodemPacketSize = 128;

enum class XmodemStatus { Ok, Timeout, Cancelled, TooManyErrors, OutOfSequence, ChannelClosed, WriteFailed };

const char* XmodemStatusText(XmodemStatus status);

struct XmodemReceiveOptions {
  int maxTries = 10;            // tries per packet, and NAKs while waiting for the first
  int startTimeoutMs = 3000;    // between NAKs while waiting for the first packet
  int packetTimeoutMs = 10000;  // for the start of each later packet
  int charTimeoutMs = 1000;     // between bytes inside a packet
  // Called after each accepted packet with the count so far.
  std::function<void(int packets)> progress;
};

struct XmodemReceiveResult {
  XmodemStatus status = XmodemStatus::Ok;
  std::vector<uint8_t> data;  // whole packets, the last one's padding included
  int packets = 0;
  int retries = 0;
};

XmodemReceiveResult XmodemReceive(ByteChannel& channel, const XmodemReceiveOptions& options = {});

struct XmodemSendOptions {
  int maxTries = 10;
  int startTimeoutMs = 60000;  // for the receiver's first NAK
  int ackTimeoutMs = 10000;
  int cutAfterPackets = -1;    // stop sending, silently, after this many packets
  std::function<void(int packets)> progress;
};

struct XmodemSendResult {
  XmodemStatus status = XmodemStatus::Ok;
  int packets = 0;
  int retries = 0;
};

XmodemSendResult XmodemSend(ByteChannel& channel, const std::vector<uint8_t>& data,
                            const XmodemSendOptions& options = {});

}  // namespace zelkor
