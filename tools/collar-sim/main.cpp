// collar-sim: a simulated GPS collar on a pseudo-terminal.
#include <cstdio>

int main() {
  std::fprintf(stderr, "collar-sim: not built yet\n");
  return 1;
}
