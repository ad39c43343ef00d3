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
  }
  return "unknown";
}

namespace {

bool Send(ByteChannel& ch, uint8_t b) { return ch.write(&b, 1); }

void SendCancel(ByteChannel& ch) {
  const uint8_t can[] = {kCan, kCan, kCan};
  ch.write(can, sizeof can);
  ch.drain();
}

// Reads until the line has been quiet for quietMs, so that a retried packet
// starts clean.
void Purge(ByteChannel& ch, int quietMs) {
  for (int i = 0; i < 2000; ++i)
    if (ch.read(quietMs) < 0) return;
}

}  // namespace

XmodemReceiveResult XmodemReceive(ByteChannel& ch, const XmodemReceiveOptions& o) {
  XmodemReceiveResult r;
  uint8_t expected = 1;
  int tries = 0;
  bool started = false;
  auto fail = [&](XmodemStatus s, bool cancel) {
    if (cancel) SendCancel(ch);
    r.status = s;
    return r;
  };
  auto retry = [&]() -> bool {
    ++r.retries;
    if (++tries >= o.maxTries) return false;
    return Send(ch, kNak);
  };

  if (!Send(ch, kNak)) return fail(XmodemStatus::WriteFailed, false);
  for (;;) {
    const int c = ch.read(started ? o.packetTimeoutMs : o.startTimeoutMs);
    if (c == kChannelClosed) return fail(XmodemStatus::ChannelClosed, false);
    if (c == kReadTimeout) {
      if (!retry()) return fail(XmodemStatus::Timeout, true);
      continue;
    }
    if (c == kEot) {
      Send(ch, kAck);
      ch.drain();
      r.status = XmodemStatus::Ok;
      return r;
    }
    if (c == kCan) {
      const int c2 = ch.read(o.charTimeoutMs);
      if (c2 == kCan) return fail(XmodemStatus::Cancelled, false);
      continue;
    }
    if (c != kSoh) {
      // Noise: let the line settle, then ask again.
      Purge(ch, o.charTimeoutMs);
      if (!retry()) return fail(XmodemStatus::TooManyErrors, true);
      continue;
    }
    uint8_t packet[2 + kXmodemPacketSize + 1];
    bool complete = true;
    for (size_t i = 0; i < sizeof packet; ++i) {
      const int b = ch.read(o.charTimeoutMs);
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
      if (complete) Purge(ch, o.charTimeoutMs);
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
