#include "cli_args.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zelkor::cli {

Args::Args(int argc, char** argv, int first, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flagOptions) {
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2);
      std::optional<std::string> inlineValue;
      if (auto eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
      if (flagOptions.count(name)) {
        flags_.insert(name);
      } else if (valueOptions.count(name)) {
        if (inlineValue) {
          values_[name] = *inlineValue;
          all_[name].push_back(*inlineValue);
        } else if (i + 1 < argc) {
          values_[name] = argv[++i];
          all_[name].push_back(values_[name]);
        } else {
          error_ = "option --" + name + " needs a value";
          return;
        }
      } else {
        error_ = "unknown option --" + name;
        return;
      }
    } else {
      positional_.push_back(a);
    }
  }
}

std::optional<std::string> Args::value(const std::string& name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> Args::values(const std::string& name) const {
  auto it = all_.find(name);
  return it == all_.end() ? std::vector<std::string>() : it->second;
}

std::optional<long> Args::number(const std::string& name) {
  auto v = value(name);
  if (!v) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(v->c_str(), &end, 10);
  if (v->empty() || *end != '\0' || errno != 0) {
    error_ = "--" + name + " takes a whole number, not '" + *v + "'";
    return std::nullopt;
  }
  return n;
}

bool MaxSpeedOption(const Args& args, double* kmh) {
  const auto speed = args.value("max-speed");
  if (!speed) return true;
  char* end = nullptr;
  const double value = std::strtod(speed->c_str(), &end);
  if (end == speed->c_str() || *end != '\0' || !(value > 0)) {
    std::fprintf(stderr, "error: --max-speed takes a speed in km/h above 0, as \"15\" or \"4.5\", not \"%s\".\n",
                 speed->c_str());
    return false;
  }
  *kmh = value;
  return true;
}

}  // namespace zelkor::cli
