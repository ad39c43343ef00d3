// NVKZelkor: the desktop companion of the GPS collar.
#include "program.h"

int main(int argc, char** argv) { return zelkor::RunProgram(argc, argv); }
