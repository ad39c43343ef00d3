// The commands of zelkor-cli. Each returns the process exit status.
#pragma once

namespace zelkor::cli {

int RunTranslate(int argc, char** argv);
int RunConfig(int argc, char** argv);
int RunPorts(int argc, char** argv);
int RunSend(int argc, char** argv);
int RunOffloadCommand(int argc, char** argv);
int RunExport(int argc, char** argv);
int RunSummary(int argc, char** argv);
int RunZones(int argc, char** argv);
int RunDb(int argc, char** argv);
int RunMap(int argc, char** argv);  // only in builds with Qt and GDAL
class Args;
int RunParallelOffloadCommand(Args& args);

// Exit statuses beyond the plain 0 and 1.
constexpr int kExitUsage = 64;      // a bad command line
constexpr int kExitNotErased = 5;   // --reset asked, but the collar was not erased
constexpr int kExitIncomplete = 6;  // the data received is incomplete
constexpr int kExitUnconfirmed = 7; // the line damaged data and no two reads agree: nothing was kept
constexpr int kExitCancelled = 130; // Ctrl+C or SIGTERM

// Ctrl+C and SIGTERM end a transfer cleanly instead of killing the program.
void InstallCancelHandlers();
bool CancelRequested();

}  // namespace zelkor::cli
