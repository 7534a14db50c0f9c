// holdfile <path> <seconds>: opens the file without sharing write or delete
// access, so that nobody else can replace it, creates "<path>.held" to say
// so, and keeps it open for the given time (or until it is terminated).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shared/scoped_handle.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: holdfile <path> <seconds>\n");
    return 1;
  }
  hx::ScopedKernelHandle file(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    std::fprintf(stderr, "cannot open %s (error %lu)\n", argv[1], GetLastError());
    return 2;
  }
  std::string marker = std::string(argv[1]) + ".held";
  hx::ScopedKernelHandle held(CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  held.Close();
  Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000u);
  return 0;
}
