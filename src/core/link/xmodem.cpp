#include "link/xmodem.h"

#include <algorithm>

namespace zelkor {

const char* XmodemStatusText(XmodemStatus s) {
  switch (s) {
    case XmodemStatus::Ok: return "transfer complete";
    case XmodemStatus::Timeout: return "the sender did not answer";
    case XmodemStatus::Cancelled: return "the sender cancelled the transfer";
    case XmodemStatus::TooManyErrors: return "too many errors on one packet";
    case XmodemStatus::OutOfSequence: return "a packet arrived out of sequence";
    case XmodemStatus::ChannelClosed: return "the port was closed";
    case XmodemStatus::WriteFailed: return "writing to the port failed";
    case XmodemStatus::Incomplete: return "the sender ended the transfer early";
    case XmodemStatus::Aborted: return "the transfer was cancelled";
  }
  return "unknown";
}

std::string XmodemFailureText(const XmodemReceiveResult& r, int expected) {
  if (r.status == XmodemStatus::Incomplete && expected > 0 && r.packets == 0)
    return "the sender ended before the first of " + std::to_string(expected) + " packets";
  if (r.status == XmodemStatus::Incomplete && expected > 0)
    return "the sender ended after " + std::to_string(r.packets) + " of " + std::to_string(expected) + " packets";
  if (r.status == XmodemStatus::Timeout && r.packets > 0)
    return "the sender stopped sending after " + std::to_string(r.packets) + " packets";
  return XmodemStatusText(r.status);
}

namespace {

bool Send(ByteChannel& ch, uint8_t b) { return ch.write(&b, 1); }

void SendCancel(ByteChannel& ch) {
  const uint8_t can[] = {kCan, kCan, kCan};
  ch.write(can, sizeof can);
  ch.drain();
}

// After a cancel the sender may still be finishing a packet: swallow the
// rest, so that it is not taken for the reply to the next command.
void SwallowTheRest(ByteChannel& ch, int quietMs) {
  for (int i = 0; i < 4000; ++i)
    if (ch.read(quietMs) < 0) return;
}

constexpr int kCancelledRead = -100;

// A read that gives up early when the transfer is cancelled: long waits are
// cut into slices so that a cancel is seen within a tenth of a second.
int Read(ByteChannel& ch, int timeoutMs, const std::function<bool()>& cancelled) {
  if (!cancelled) return ch.read(timeoutMs);
  for (int left = timeoutMs;;) {
    if (cancelled()) return kCancelledRead;
    const int slice = left < 100 ? left : 100;
    const int c = ch.read(slice);
    if (c != kReadTimeout) return c;
    left -= slice;
    if (left <= 0) return kReadTimeout;
  }
}

// Reads until the line has been quiet for quietMs, so that a retried packet
// starts clean.
void Purge(ByteChannel& ch, int quietMs, const std::function<bool()>& cancelled) {
  for (int i = 0; i < 2000; ++i)
    if (Read(ch, quietMs, cancelled) < 0) return;
}

}  // namespace

int FewestPackets(int expectedPackets, long expectedBytes) {
  if (expectedBytes > 0)
    return static_cast<int>((expectedBytes + static_cast<long>(kXmodemPacketSize) - 1) /
                            static_cast<long>(kXmodemPacketSize));
  if (expectedPackets <= 0) return 0;
  return expectedPackets > 1 ? expectedPackets - 1 : 1;
}

XmodemReceiveResult XmodemReceive(ByteChannel& ch, const XmodemReceiveOptions& o) {
  XmodemReceiveResult r;
  uint8_t expected = 1;
  int tries = 0;
  bool started = false;
  bool eotPending = false;  // one EOT seen and answered with NAK
  const int fewest = FewestPackets(o.expectedPackets, o.expectedBytes);
  auto fail = [&](XmodemStatus s, bool cancel) {
    if (cancel) {
      SendCancel(ch);
      SwallowTheRest(ch, std::min(o.charTimeoutMs, 500));
    }
    r.status = s;
    return r;
  };
  auto retry = [&]() -> bool {
    ++r.retries;
    if (++tries >= o.maxTries) return false;
    return Send(ch, kNak);
  };
  auto finish = [&]() {
    Send(ch, kAck);
    ch.drain();
    r.status = r.packets < fewest ? XmodemStatus::Incomplete : XmodemStatus::Ok;
    return r;
  };

  if (!Send(ch, kNak)) return fail(XmodemStatus::WriteFailed, false);
  for (;;) {
    const int c = Read(ch, started ? o.packetTimeoutMs : o.startTimeoutMs, o.cancelled);
    if (c == kCancelledRead) return fail(XmodemStatus::Aborted, true);
    if (c == kChannelClosed) return fail(XmodemStatus::ChannelClosed, false);
    if (c == kReadTimeout) {
      // A sender that never repeats its EOT: once every expected packet is
      // here, its silence after our NAK ends the transfer.
      if (eotPending && fewest > 0 && r.packets >= fewest) return finish();
      if (!retry()) return fail(XmodemStatus::Timeout, true);
      continue;
    }
    if (c == kEot) {
      if (eotPending) return finish();
      eotPending = true;
      if (!Send(ch, kNak)) return fail(XmodemStatus::WriteFailed, false);
      continue;
    }
    eotPending = false;
    if (c == kCan) {
      const int c2 = Read(ch, o.charTimeoutMs, o.cancelled);
      if (c2 == kCan) return fail(XmodemStatus::Cancelled, false);
      continue;
    }
    if (c != kSoh) {
      // Noise: let the line settle, then ask again.
      Purge(ch, o.charTimeoutMs, o.cancelled);
      if (o.cancelled && o.cancelled()) return fail(XmodemStatus::Aborted, true);
      if (!retry()) return fail(XmodemStatus::TooManyErrors, true);
      continue;
    }
    uint8_t packet[2 + kXmodemPacketSize + 1];
    bool complete = true;
    for (size_t i = 0; i < sizeof packet; ++i) {
      const int b = Read(ch, o.charTimeoutMs, o.cancelled);
      if (b == kCancelledRead) return fail(XmodemStatus::Aborted, true);
      if (b == kChannelClosed) return fail(XmodemStatus::ChannelClosed, false);
      if (b < 0) {
        complete = false;
        break;
      }
      packet[i] = static_cast<uint8_t>(b);
    }
    uint8_t sum = 0;
    for (size_t i = 0; i < kXmodemPacketSize; ++i) sum = static_cast<uint8_t>(sum + packet[2 + i]);
    if (!complete || packet[0] != static_cast<uint8_t>(~packet[1]) || sum != packet[2 + kXmodemPacketSize]) {
      if (complete) Purge(ch, o.charTimeoutMs, o.cancelled);
      if (!retry()) return fail(XmodemStatus::TooManyErrors, true);
      continue;
    }
    if (packet[0] == static_cast<uint8_t>(expected - 1) && started) {
      // The sender missed our ACK and sent the last packet again.
      if (!Send(ch, kAck)) return fail(XmodemStatus::WriteFailed, false);
      continue;
    }
    if (packet[0] != expected) return fail(XmodemStatus::OutOfSequence, true);
    r.data.insert(r.data.end(), packet + 2, packet + 2 + kXmodemPacketSize);
    ++r.packets;
    ++expected;
    started = true;
    tries = 0;
    if (!Send(ch, kAck)) return fail(XmodemStatus::WriteFailed, false);
    if (o.progress) o.progress(r.packets);
  }
}

XmodemSendResult XmodemSend(ByteChannel& ch, const std::vector<uint8_t>& data, const XmodemSendOptions& o) {
  XmodemSendResult r;
  // Wait for the receiver's NAK.
  for (;;) {
    const int c = ch.read(o.startTimeoutMs);
    if (c == kNak) break;
    if (c == kChannelClosed) {
      r.status = XmodemStatus::ChannelClosed;
      return r;
    }
    if (c == kReadTimeout) {
      r.status = XmodemStatus::Timeout;
      return r;
    }
    if (c == kCan && ch.read(1000) == kCan) {
      r.status = XmodemStatus::Cancelled;
      return r;
    }
  }
  const size_t total = std::max<size_t>(1, (data.size() + kXmodemPacketSize - 1) / kXmodemPacketSize);
  for (size_t p = 0; p < total; ++p) {
    if (o.cutAfterPackets >= 0 && static_cast<int>(p) >= o.cutAfterPackets) {
      r.status = XmodemStatus::Cancelled;
      return r;
    }
    uint8_t packet[3 + kXmodemPacketSize + 1];
    packet[0] = kSoh;
    packet[1] = static_cast<uint8_t>(p + 1);
    packet[2] = static_cast<uint8_t>(~packet[1]);
    uint8_t sum = 0;
    for (size_t i = 0; i < kXmodemPacketSize; ++i) {
      const size_t at = p * kXmodemPacketSize + i;
      packet[3 + i] = at < data.size() ? data[at] : kPadByte;
      sum = static_cast<uint8_t>(sum + packet[3 + i]);
    }
    packet[3 + kXmodemPacketSize] = sum;
    int tries = 0;
    for (;;) {
      if (!ch.write(packet, sizeof packet)) {
        r.status = XmodemStatus::WriteFailed;
        return r;
      }
      int c = ch.read(o.ackTimeoutMs);
      // Skip stray bytes until an answer or a timeout.
      while (c >= 0 && c != kAck && c != kNak && c != kCan) c = ch.read(o.ackTimeoutMs);
      if (c == kAck) break;
      if (c == kChannelClosed) {
        r.status = XmodemStatus::ChannelClosed;
        return r;
      }
      if (c == kCan && ch.read(1000) == kCan) {
        r.status = XmodemStatus::Cancelled;
        return r;
      }
      ++r.retries;
      if (++tries >= o.maxTries) {
        SendCancel(ch);
        r.status = XmodemStatus::TooManyErrors;
        return r;
      }
    }
    ++r.packets;
    if (o.progress) o.progress(r.packets);
  }
  for (int tries = 0; tries < o.maxTries; ++tries) {
    if (!Send(ch, kEot)) {
      r.status = XmodemStatus::WriteFailed;
      return r;
    }
    ch.drain();
    int c = ch.read(o.ackTimeoutMs);
    while (c >= 0 && c != kAck && c != kNak) c = ch.read(o.ackTimeoutMs);
    if (c == kAck) {
      r.status = XmodemStatus::Ok;
      return r;
    }
    if (c == kChannelClosed) {
      r.status = XmodemStatus::ChannelClosed;
      return r;
    }
  }
  r.status = XmodemStatus::Timeout;
  return r;
}

}  // namespace zelkor
