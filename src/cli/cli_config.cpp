#include <cstdio>
#include <string>

#include "cli_args.h"
#include "cli_commands.h"
#include "config/config_file.h"
#include "config/config_json.h"
#include "stderr_prompter.h"
#include "util/read_file.h"

namespace zelkor::cli {

int RunConfig(int argc, char** argv) {
  const std::string sub = argc > 2 ? argv[2] : "";
  Args args(argc, argv, 3, {"data-dir"}, {});
  StderrPrompter prompter;
  if (args.ok() && sub == "show" && args.positional().size() == 1) {
    CollarConfig config;
    if (ReadConfig(args.positional()[0], config, prompter) != ConfigFileStatus::Ok) return 1;
    std::fputs(ConfigToJson(config).c_str(), stdout);
    return 0;
  }
  if (args.ok() && sub == "rewrite" && args.positional().size() == 2) {
    CollarConfig config;
    if (SameFile(args.positional()[0], args.positional()[1])) {
      std::fprintf(stderr, "error: the output %s is the input file; choose another output name.\n",
                   args.positional()[1].c_str());
      return kExitUsage;
    }
    if (ReadConfig(args.positional()[0], config, prompter) != ConfigFileStatus::Ok) return 1;
    if (WriteConfig(args.positional()[1], config, prompter) != ConfigFileStatus::Ok) return 2;
    return 0;
  }
  std::fprintf(stderr, "%susage: zelkor-cli config show FILE\n       zelkor-cli config rewrite IN OUT\n",
               args.ok() ? "" : (args.error() + "\n").c_str());
  return kExitUsage;
}

}  // namespace zelkor::cli
