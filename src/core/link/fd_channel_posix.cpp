#include "link/byte_channel.h"

#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace zelkor {

bool FdChannel::write(const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd_, data + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, 5000) <= 0) return false;
    if (p.revents & (POLLERR | POLLNVAL)) return false;
  }
  return true;
}

int FdChannel::read(int timeoutMs) {
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, timeoutMs);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return kReadTimeout;
    if (p.revents & POLLIN) {
      uint8_t b;
      const ssize_t n = ::read(fd_, &b, 1);
      if (n == 1) return b;
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      return kChannelClosed;
    }
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return kChannelClosed;
  }
}

void FdChannel::drain() {
  if (isatty(fd_)) tcdrain(fd_);
}

}  // namespace zelkor
