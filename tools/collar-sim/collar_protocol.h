// How the simulated collar answers: command recognition, acknowledgments,
// trailers and their sums, transfers and uploads.
#pragma once

#include <string>
#include <vector>

#include "faulty_channel.h"
#include "link/default_commands.h"
#include "sim_state.h"

namespace collarsim {

struct Behaviour {
  bool silent = false;     // never answers
  bool nakAll = false;     // answers every command with NAK
  int cutAfterPackets = -1;
};

class Collar {
 public:
  Collar(SimState& state, std::string statePath, std::vector<zelkor::CommandFile> commands, Behaviour behaviour,
         FaultyChannel& line, bool verbose);
  // Serves requests until the line closes or stop is set.
  void serve(const volatile bool& stop);

 private:
  void handle(const zelkor::CommandFile& command);
  bool readExact(std::vector<uint8_t>& out, size_t count, int timeoutMs);
  void reply(uint8_t byte);
  void sendBytes(const std::vector<uint8_t>& bytes, const char* what);
  void save();
  void log(const std::string& text);

  SimState& state_;
  std::string statePath_;
  std::vector<zelkor::CommandFile> commands_;
  Behaviour behaviour_;
  FaultyChannel& line_;
  bool verbose_;
};

}  // namespace collarsim
