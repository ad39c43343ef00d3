// A small command-line reader: positional words and "--name [value]" options.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zelkor::cli {

class Args {
 public:
  // valueOptions take a value; flagOptions do not. Unknown options are errors.
  Args(int argc, char** argv, int first, const std::set<std::string>& valueOptions,
       const std::set<std::string>& flagOptions);

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::vector<std::string>& positional() const { return positional_; }
  bool flag(const std::string& name) const { return flags_.count(name) > 0; }
  std::optional<std::string> value(const std::string& name) const;
  // Every value of an option given more than once ("--port 1 --port 2").
  std::vector<std::string> values(const std::string& name) const;
  // An integer option; sets error when present but not a whole number.
  std::optional<long> number(const std::string& name);

 private:
  std::vector<std::string> positional_;
  std::set<std::string> flags_;
  std::map<std::string, std::string> values_;
  std::map<std::string, std::vector<std::string>> all_;
  std::string error_;
};

// --max-speed KMH, when given, into *kmh; false (after printing why) for
// anything but a speed above 0.
bool MaxSpeedOption(const Args& args, double* kmh);

}  // namespace zelkor::cli
