// The commands of zelkor-cli. Each returns the process exit status.
#pragma once

namespace zelkor::cli {

int RunTranslate(int argc, char** argv);
int RunConfig(int argc, char** argv);

}  // namespace zelkor::cli
