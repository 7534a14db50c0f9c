// bench_version_read DIR RUNS: reads the file version of every file below DIR
// three ways and prints the time of each pass (medians of RUNS) and whether
// all three agree on every file:
//   library     GetFileVersionInfoSize + GetFileVersionInfo + VerQueryValue
//   installer   ReadFileVersion of hxupd
//   candidate   a bounds-checked walk of the PE resource directory with a few
//               small reads (bench/version_candidate.cpp); the cases it cannot
//               settle go to the library
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "file_version.h"

namespace candidate {
enum ImageVersionOutcome { kImageVersionFound, kImageVersionNone, kImageVersionUnsure };
}
candidate::ImageVersionOutcome CandidateReadFromImage(const char* path, FileVersion* version);

namespace {

FileVersion Library(const char* path) {
  FileVersion v = {0, 0};
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return v;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return v;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &len) || !fixed ||
      len < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
    return v;
  v.high = fixed->dwFileVersionMS;
  v.low = fixed->dwFileVersionLS;
  return v;
}

FileVersion Candidate(const char* path) {
  FileVersion v;
  if (CandidateReadFromImage(path, &v) != candidate::kImageVersionUnsure) return v;
  return Library(path);
}

void List(const std::string& dir, std::vector<std::string>* out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      List(dir + "\\" + name, out);
    else
      out->push_back(dir + "\\" + name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_version_read DIR RUNS\n");
    return 2;
  }
  std::vector<std::string> files;
  List(argv[1], &files);
  int runs = atoi(argv[2]);
  typedef FileVersion (*Reader)(const char*);
  const char* names[] = {"library", "installer", "candidate"};
  Reader readers[] = {Library, ReadFileVersion, Candidate};
  std::vector<double> times[3];
  for (int r = 0; r < runs; ++r)
    for (int k = 0; k < 3; ++k) {
      double t0 = NowMs();
      for (const std::string& f : files) readers[k](f.c_str());
      times[k].push_back(NowMs() - t0);
    }
  int versioned = 0, differ[3] = {0, 0, 0};
  for (const std::string& f : files) {
    FileVersion ref = Library(f.c_str());
    if (!ref.IsZero()) ++versioned;
    for (int k = 1; k < 3; ++k) {
      FileVersion v = readers[k](f.c_str());
      if (v.high != ref.high || v.low != ref.low) {
        ++differ[k];
        if (differ[k] <= 5) printf("  %s differs on %s\n", names[k], f.c_str());
      }
    }
  }
  printf("  %zu files (%d with a version) below %s, medians of %d passes:\n", files.size(),
         versioned, argv[1], runs);
  for (int k = 0; k < 3; ++k) {
    std::sort(times[k].begin(), times[k].end());
    printf("    %-10s %7.1f ms  (%.1f us a file)%s\n", names[k], times[k][runs / 2],
           1000.0 * times[k][runs / 2] / files.size(),
           k == 0 ? "" : (differ[k] ? "  DIFFERS from the library" : "  same as the library"));
  }
  return 0;
}
