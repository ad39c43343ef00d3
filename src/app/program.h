// The desktop program, from its command line to the end of its event loop.
#pragma once

namespace zelkor {

int RunProgram(int argc, char** argv);

}  // namespace zelkor
