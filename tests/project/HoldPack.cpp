// A second copy of the program, as far as the pack lock goes: opens the
// pack through the project store (as loading or starting it does), says
// how that went, and keeps it open until its input ends or it is killed.
//
//   voxmire_hold_pack <data folder> <pack name>
//
// Prints "holding" and waits, or prints "open elsewhere" and exits with 3.
#include <cstdio>
#include <filesystem>

#include "project/ProjectFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <data folder> <pack name>\n", argv[0]);
    return 2;
  }
  voxmire::ProjectStore store(voxmire::Places::InOneFolder(std::filesystem::path(argv[1])));
  if (!store.Bind(argv[2])) {
    std::puts("open elsewhere");
    return 3;
  }
  std::puts("holding");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
