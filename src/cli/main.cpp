// zelkor-cli: headless jobs on the same core as the desktop program.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zelkor-cli COMMAND ...\n");
    return 64;
  }
  std::fprintf(stderr, "zelkor-cli: unknown command '%s'\n", argv[1]);
  return 64;
}
