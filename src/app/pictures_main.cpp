// zelkor-pictures: the program without its manual, run at build time to
// render the dialogs the manual shows ("--render-dialogs DIR").
#include "program.h"

int main(int argc, char** argv) { return zelkor::RunProgram(argc, argv); }
