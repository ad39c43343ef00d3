// A two-way byte stream with read timeouts: a serial port, a
// pseudo-terminal, or an in-memory pipe in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelkor {

constexpr int kReadTimeout = -1;
constexpr int kChannelClosed = -2;

class ByteChannel {
 public:
  virtual ~ByteChannel() = default;
  virtual bool write(const uint8_t* data, size_t size) = 0;
  // The next byte (0-255) within timeoutMs, kReadTimeout or kChannelClosed.
  virtual int read(int timeoutMs) = 0;
  // Waits until everything written has left.
  virtual void drain() {}
};

#ifndef _WIN32
// A ByteChannel on a file descriptor (serial port, pseudo-terminal, pipe).
class FdChannel : public ByteChannel {
 public:
  explicit FdChannel(int fd) : fd_(fd) {}
  bool write(const uint8_t* data, size_t size) override;
  int read(int timeoutMs) override;
  void drain() override;
  int fd() const { return fd_; }

 private:
  int fd_;
};
#endif

}  // namespace zelkor
