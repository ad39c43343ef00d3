// The bookkeeping every serial port implementation shares: which ports are
// open and on what handle, nested holds of collar sequences (a held port
// stays open through closePort), why the last open failed, and the option
// value. The platform supplies how a device is opened and closed, and how
// to tell that an open handle still leads to the device: a held handle
// whose device went away (a pulled cable) or changed (a new adapter, a new
// simulated collar on the same link) is closed and the device opened again
// at the next open or hold, so that a Retry after a reconnect works.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "link/port_problem.h"

namespace zelkor {

template <typename Handle>
class PortBook {
 public:
  using Resolver = std::function<std::string(int portIndex)>;
  using Opener = std::function<Handle(const std::string& device, PortProblem* problem)>;
  using Closer = std::function<void(Handle)>;
  // True while the handle still leads to that device.
  using Checker = std::function<bool(Handle, const std::string& device)>;

  // `none` is the handle value of a port that is not open.
  PortBook(Resolver resolver, Handle none, Opener opener, Closer closer, Checker alive = {})
      : resolver_(std::move(resolver)),
        none_(none),
        open_(std::move(opener)),
        close_(std::move(closer)),
        alive_(std::move(alive)) {}
  ~PortBook() {
    for (auto& [port, entry] : ports_) close_(entry.handle);
  }
  PortBook(const PortBook&) = delete;
  PortBook& operator=(const PortBook&) = delete;

  std::string device(int port) const { return resolver_(port); }

  Handle handle(int port) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(port);
    return it == ports_.end() ? none_ : it->second.handle;
  }

  // 0 when open (already or now), -1 when the open failed.
  int open(int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& entry = entryFor(port);
    renew(port, entry);
    return entry.handle != none_ ? 0 : -1;
  }

  // Closes the port unless a collar sequence holds it.
  void close(int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(port);
    if (it != ports_.end() && it->second.holds == 0) closeEntry(it->second);
  }

  bool hold(int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& entry = entryFor(port);
    renew(port, entry);
    if (entry.handle == none_) return false;
    ++entry.holds;
    return true;
  }

  void release(int port) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(port);
    if (it == ports_.end() || it->second.holds == 0) return;
    if (--it->second.holds == 0) closeEntry(it->second);
  }

  // The handle of a held port; `none` when the port is not held.
  Handle held(int port) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(port);
    return it == ports_.end() || it->second.holds == 0 ? none_ : it->second.handle;
  }

  // 1 when the port exists and is free: opened and closed again at once.
  int probe(int port) {
    if (handle(port) != none_) {  // ours: not free
      std::lock_guard<std::mutex> lock(mutex_);
      entryFor(port).problem = PortProblem::Busy;
      return 0;
    }
    PortProblem problem = PortProblem::None;
    const Handle h = open_(resolver_(port), &problem);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      entryFor(port).problem = problem;
    }
    if (h == none_) return 0;
    close_(h);
    return 1;
  }

  // Stores the option and returns the one before.
  int setOption(int port, int value) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& entry = entryFor(port);
    const int previous = entry.option;
    entry.option = value;
    return previous;
  }

  PortProblem lastProblem(int port) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = ports_.find(port);
    return it == ports_.end() ? PortProblem::None : it->second.problem;
  }

 private:
  struct Entry {
    Handle handle;
    int option = 0;
    int holds = 0;  // nested holds of collar sequences
    PortProblem problem = PortProblem::None;
  };
  Resolver resolver_;
  Handle none_;
  Opener open_;
  Closer close_;
  Checker alive_;
  mutable std::mutex mutex_;
  std::map<int, Entry> ports_;

  Entry& entryFor(int port) { return ports_.try_emplace(port, Entry{none_}).first->second; }

  // Opens the port when it is not open; an open handle that no longer leads
  // to its device is closed first (its holds stay: the sequence goes on on
  // the new handle).
  void renew(int port, Entry& entry) {
    const std::string device = resolver_(port);
    if (entry.handle != none_ && alive_ && !alive_(entry.handle, device)) closeEntry(entry);
    if (entry.handle == none_) entry.handle = open_(device, &entry.problem);
  }

  void closeEntry(Entry& entry) {
    close_(entry.handle);
    entry.handle = none_;
  }
};

}  // namespace zelkor
