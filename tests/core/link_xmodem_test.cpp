#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "link/xmodem.h"
#include "support/memory_pipe.h"

namespace zelkor {
namespace {

using testing::End;
using testing::MemoryPipe;

XmodemReceiveOptions Quick() {
  XmodemReceiveOptions o;
  o.startTimeoutMs = 200;
  o.packetTimeoutMs = 300;
  o.charTimeoutMs = 100;
  return o;
}

std::vector<uint8_t> Packet(uint8_t block, const std::vector<uint8_t>& data, bool goodSum = true) {
  std::vector<uint8_t> p = {kSoh, block, static_cast<uint8_t>(~block)};
  uint8_t sum = 0;
  for (size_t i = 0; i < 128; ++i) {
    const uint8_t b = i < data.size() ? data[i] : kPadByte;
    p.push_back(b);
    sum = static_cast<uint8_t>(sum + b);
  }
  p.push_back(goodSum ? sum : static_cast<uint8_t>(sum + 1));
  return p;
}

std::vector<uint8_t> Bytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// Runs a receiver on one end while the test plays the sender on the other.
struct ReceiverRun {
  MemoryPipe pipe;
  XmodemReceiveResult result;
  std::thread thread;
  explicit ReceiverRun(XmodemReceiveOptions o = Quick()) {
    thread = std::thread([this, o] { result = XmodemReceive(pipe.a, o); });
  }
  void send(const std::vector<uint8_t>& bytes) { pipe.b.write(bytes.data(), bytes.size()); }
  int next(int ms = 2000) { return pipe.b.read(ms); }
  // A careful receiver takes EOT only when it comes twice.
  void endWithEot() {
    send({kEot});
    EXPECT_EQ(next(), kNak) << "the first EOT is answered with NAK";
    send({kEot});
    EXPECT_EQ(next(), kAck);
  }
  XmodemReceiveResult finish() {
    thread.join();
    return result;
  }
};

TEST(XmodemReceive, StartsWithNakAndAcceptsPacketsUntilEot) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  const auto data = Bytes(200, 1);
  r.send(Packet(1, {data.begin(), data.begin() + 128}));
  EXPECT_EQ(r.next(), kAck);
  r.send(Packet(2, {data.begin() + 128, data.end()}));
  EXPECT_EQ(r.next(), kAck);
  r.endWithEot();
  const auto res = r.finish();
  EXPECT_EQ(res.status, XmodemStatus::Ok);
  ASSERT_EQ(res.data.size(), 256u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), res.data.begin()));
  EXPECT_EQ(res.data[255], kPadByte);
}

TEST(XmodemReceive, BadChecksumIsNakedAndTheRetryAccepted) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  const auto data = Bytes(128, 2);
  r.send(Packet(1, data, false));
  EXPECT_EQ(r.next(), kNak);
  r.send(Packet(1, data));
  EXPECT_EQ(r.next(), kAck);
  r.endWithEot();
  const auto res = r.finish();
  EXPECT_EQ(res.status, XmodemStatus::Ok);
  EXPECT_EQ(res.data, data);
  EXPECT_EQ(res.retries, 1);
}

TEST(XmodemReceive, DuplicatePacketIsAcknowledgedAndDropped) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  const auto data = Bytes(256, 3);
  r.send(Packet(1, {data.begin(), data.begin() + 128}));
  EXPECT_EQ(r.next(), kAck);
  r.send(Packet(1, {data.begin(), data.begin() + 128}));
  EXPECT_EQ(r.next(), kAck);
  r.send(Packet(2, {data.begin() + 128, data.end()}));
  EXPECT_EQ(r.next(), kAck);
  r.endWithEot();
  EXPECT_EQ(r.finish().data, data);
}

TEST(XmodemReceive, OutOfSequencePacketCancelsTheTransfer) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  r.send(Packet(1, Bytes(128, 4)));
  EXPECT_EQ(r.next(), kAck);
  r.send(Packet(3, Bytes(128, 5)));
  EXPECT_EQ(r.next(), kCan);
  EXPECT_EQ(r.finish().status, XmodemStatus::OutOfSequence);
}

TEST(XmodemReceive, SenderCancelEndsTheTransfer) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  r.send({kCan, kCan});
  EXPECT_EQ(r.finish().status, XmodemStatus::Cancelled);
}

TEST(XmodemReceive, SilentSenderTimesOutAfterTenTries) {
  ReceiverRun r;
  int naks = 0;
  for (int c; (c = r.next(600)) == kNak;) ++naks;
  EXPECT_EQ(naks, 10);
  EXPECT_EQ(r.finish().status, XmodemStatus::Timeout);
}

TEST(XmodemReceive, PacketThatKeepsFailingGivesUpAfterTenTries) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  const auto data = Bytes(128, 6);
  int naks = 0;
  for (int i = 0; i < 12; ++i) {
    r.send(Packet(1, data, false));
    const int c = r.next();
    if (c == kNak) ++naks;
    if (c == kCan) break;
  }
  EXPECT_EQ(naks, 9);  // the tenth failure cancels instead
  EXPECT_EQ(r.finish().status, XmodemStatus::TooManyErrors);
}

TEST(XmodemReceive, ShortPacketTimesOutAndIsAskedForAgain) {
  ReceiverRun r;
  EXPECT_EQ(r.next(), kNak);
  const auto data = Bytes(128, 7);
  auto p = Packet(1, data);
  r.send({p.begin(), p.begin() + 60});
  EXPECT_EQ(r.next(), kNak);
  r.send(p);
  EXPECT_EQ(r.next(), kAck);
  r.endWithEot();
  EXPECT_EQ(r.finish().data, data);
}

// A lost SOH turns a packet numbered 4 into what looks like an EOT: the
// receiver must not end the transfer there.
TEST(XmodemReceive, APacketNumberedFourWithoutItsHeaderDoesNotEndTheTransfer) {
  XmodemReceiveOptions o = Quick();
  o.expectedPackets = 5;
  ReceiverRun r(o);
  EXPECT_EQ(r.next(), kNak);
  const auto data = Bytes(5 * 128, 8);
  for (uint8_t n = 1; n <= 3; ++n) {
    r.send(Packet(n, {data.begin() + (n - 1) * 128, data.begin() + n * 128}));
    EXPECT_EQ(r.next(), kAck);
  }
  const auto four = Packet(4, {data.begin() + 3 * 128, data.begin() + 4 * 128});
  r.send({four.begin() + 1, four.end()});  // the SOH is lost on the line
  EXPECT_EQ(r.next(), kNak) << "the lone 0x04 is not taken as the end";
  EXPECT_EQ(r.next(), kNak) << "the rest of the packet is noise: asked again";
  r.send(four);
  EXPECT_EQ(r.next(), kAck);
  r.send(Packet(5, {data.begin() + 4 * 128, data.end()}));
  EXPECT_EQ(r.next(), kAck);
  r.endWithEot();
  const auto res = r.finish();
  EXPECT_EQ(res.status, XmodemStatus::Ok);
  EXPECT_EQ(res.data, data);
}

TEST(XmodemReceive, AnEndBeforeTheExpectedPacketsIsIncompleteWithOnePacketOfSlack) {
  for (int sent : {2, 3, 4}) {
    XmodemReceiveOptions o = Quick();
    o.expectedPackets = 4;  // rounded up by the caller: 3 may be all there is
    ReceiverRun r(o);
    EXPECT_EQ(r.next(), kNak);
    for (int n = 1; n <= sent; ++n) {
      r.send(Packet(static_cast<uint8_t>(n), Bytes(128, static_cast<unsigned>(n))));
      EXPECT_EQ(r.next(), kAck);
    }
    r.endWithEot();
    const auto res = r.finish();
    EXPECT_EQ(res.status, sent >= 3 ? XmodemStatus::Ok : XmodemStatus::Incomplete) << sent;
    if (sent < 3) {
      EXPECT_EQ(XmodemFailureText(res, 4), "the sender ended after 2 of 4 packets");
    }
  }
}

TEST(XmodemReceive, ASenderThatNeverRepeatsItsEotEndsByItsSilenceOnceEveryPacketIsIn) {
  XmodemReceiveOptions o = Quick();
  o.expectedPackets = 1;
  ReceiverRun r(o);
  EXPECT_EQ(r.next(), kNak);
  r.send(Packet(1, Bytes(128, 9)));
  EXPECT_EQ(r.next(), kAck);
  r.send({kEot});
  EXPECT_EQ(r.next(), kNak);
  EXPECT_EQ(r.next(), kAck) << "silence after the NAK: the EOT stands";
  EXPECT_EQ(r.finish().status, XmodemStatus::Ok);
}

TEST(XmodemReceive, CancellingSendsCanAndKeepsNothing) {
  std::atomic<bool> stop{false};
  XmodemReceiveOptions o = Quick();
  o.packetTimeoutMs = 5000;
  o.cancelled = [&] { return stop.load(); };
  ReceiverRun r(o);
  EXPECT_EQ(r.next(), kNak);
  r.send(Packet(1, Bytes(128, 10)));
  EXPECT_EQ(r.next(), kAck);
  stop = true;
  EXPECT_EQ(r.next(1000), kCan) << "seen within a slice, not after the 5 s timeout";
  const auto res = r.finish();
  EXPECT_EQ(res.status, XmodemStatus::Aborted);
}

TEST(XmodemRoundTrip, SenderAndReceiverAgreeOnEverySize) {
  for (size_t size : {0u, 1u, 127u, 128u, 129u, 5000u}) {
    MemoryPipe pipe;
    const auto data = Bytes(size, static_cast<unsigned>(size));
    XmodemReceiveResult received;
    std::thread rx([&] { received = XmodemReceive(pipe.a, Quick()); });
    const XmodemSendResult sent = XmodemSend(pipe.b, data);
    rx.join();
    EXPECT_EQ(sent.status, XmodemStatus::Ok) << size;
    EXPECT_EQ(received.status, XmodemStatus::Ok) << size;
    ASSERT_GE(received.data.size(), size);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), received.data.begin())) << size;
    EXPECT_EQ(received.data.size(), std::max<size_t>(1, (size + 127) / 128) * 128);
  }
}

TEST(XmodemRoundTrip, NoisyLineDeliversIntactDataOrFailsCleanly) {
  int completed = 0;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    MemoryPipe pipe;
    std::mt19937 rng(seed);
    // Both directions lose or flip about one byte in 300.
    auto noise = [&rng](const uint8_t* d, size_t n) {
      std::vector<uint8_t> out;
      for (size_t i = 0; i < n; ++i) {
        const unsigned r = rng() % 600;
        if (r == 0) continue;
        out.push_back(r == 1 ? static_cast<uint8_t>(d[i] ^ (1u << (rng() % 8))) : d[i]);
      }
      return out;
    };
    std::mutex rngLock;
    auto locked = [&](const uint8_t* d, size_t n) {
      std::lock_guard<std::mutex> l(rngLock);
      return noise(d, n);
    };
    pipe.a.filter = locked;
    pipe.b.filter = locked;
    const auto data = Bytes(3000, seed);
    XmodemReceiveResult received;
    std::thread rx([&] { received = XmodemReceive(pipe.a, Quick()); });
    XmodemSendOptions so;
    so.ackTimeoutMs = 300;
    so.startTimeoutMs = 2000;
    XmodemSend(pipe.b, data, so);
    rx.join();
    if (received.status == XmodemStatus::Ok) {
      ++completed;
      ASSERT_GE(received.data.size(), data.size()) << "seed " << seed;
      EXPECT_TRUE(std::equal(data.begin(), data.end(), received.data.begin())) << "corrupt data passed, seed " << seed;
    }
  }
  EXPECT_GT(completed, 0);
}

}  // namespace
}  // namespace zelkor
