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

enum class XmodemStatus {
  Ok,
  Timeout,
  Cancelled,      // the other side cancelled
  TooManyErrors,
  OutOfSequence,
  ChannelClosed,
  WriteFailed,
  Incomplete,     // the sender ended before every expected packet arrived
  Aborted,        // cancelled on this side
};

const char* XmodemStatusText(XmodemStatus status);

struct XmodemReceiveOptions {
  int maxTries = 10;            // tries per packet, and NAKs while waiting for the first
  int startTimeoutMs = 3000;    // between NAKs while waiting for the first packet
  int packetTimeoutMs = 10000;  // for the start of each later packet
  int charTimeoutMs = 1000;     // between bytes inside a packet
  // Packets the request expects, 0 when unknown, and the bytes it brings,
  // 0 when unknown. An end of transmission before the last packet the bytes
  // need is a failure. Without the bytes, the count's rounding (it is worked
  // out from one byte more than the data) allows one packet fewer, but
  // never none.
  int expectedPackets = 0;
  long expectedBytes = 0;
  // Called after each accepted packet with the count so far.
  std::function<void(int packets)> progress;
  // Polled while waiting; true ends the transfer with CAN CAN (Aborted).
  std::function<bool()> cancelled;
};

struct XmodemReceiveResult {
  XmodemStatus status = XmodemStatus::Ok;
  std::vector<uint8_t> data;  // whole packets, the last one's padding included
  int packets = 0;
  int retries = 0;  // packets asked for again: damage on the line
};

// The fewest packets a transfer may end with.
int FewestPackets(int expectedPackets, long expectedBytes);

// Receives packets until the sender's end of transmission. The first EOT is
// answered with NAK and accepted only when it comes again: a lost packet
// header can make a packet number 0x04 look like an EOT.
XmodemReceiveResult XmodemReceive(ByteChannel& channel, const XmodemReceiveOptions& options = {});

// Why a receive failed, for people: "the sender ended after 3 of 26 packets".
std::string XmodemFailureText(const XmodemReceiveResult& result, int expectedPackets);

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
