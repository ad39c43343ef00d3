// Two connected in-memory ByteChannels, with optional byte filters on the
// way from A to B (to lose or corrupt bytes).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "link/byte_channel.h"

namespace zelkor::testing {

class Queue {
 public:
  void push(const uint8_t* d, size_t n) {
    std::lock_guard<std::mutex> l(m_);
    bytes_.insert(bytes_.end(), d, d + n);
    cv_.notify_all();
  }
  int pop(int timeoutMs) {
    std::unique_lock<std::mutex> l(m_);
    if (!cv_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return !bytes_.empty() || closed_; }))
      return kReadTimeout;
    if (bytes_.empty()) return kChannelClosed;
    const int b = bytes_.front();
    bytes_.pop_front();
    return b;
  }
  void close() {
    std::lock_guard<std::mutex> l(m_);
    closed_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<uint8_t> bytes_;
  bool closed_ = false;
};

// Returns the bytes that pass (possibly none or changed).
using Filter = std::function<std::vector<uint8_t>(const uint8_t* data, size_t size)>;

class End : public ByteChannel {
 public:
  End(std::shared_ptr<Queue> in, std::shared_ptr<Queue> out) : in_(std::move(in)), out_(std::move(out)) {}
  bool write(const uint8_t* d, size_t n) override {
    if (filter) {
      const auto passed = filter(d, n);
      out_->push(passed.data(), passed.size());
    } else {
      out_->push(d, n);
    }
    return true;
  }
  int read(int timeoutMs) override { return in_->pop(timeoutMs); }
  Filter filter;

 private:
  std::shared_ptr<Queue> in_, out_;
};

struct MemoryPipe {
  std::shared_ptr<Queue> ab = std::make_shared<Queue>();
  std::shared_ptr<Queue> ba = std::make_shared<Queue>();
  End a{ba, ab};
  End b{ab, ba};
};

}  // namespace zelkor::testing
