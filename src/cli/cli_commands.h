// The commands of zelkor-cli. Each returns the process exit status.
#pragma once

namespace zelkor::cli {

int RunTranslate(int argc, char** argv);
int RunConfig(int argc, char** argv);
int RunPorts(int argc, char** argv);
int RunSend(int argc, char** argv);
int RunOffloadCommand(int argc, char** argv);
int RunExport(int argc, char** argv);

}  // namespace zelkor::cli
