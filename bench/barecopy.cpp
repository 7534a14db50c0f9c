// Reference copy loops for the benchmarks.
//   bench_barecopy SRC DST            recursive FindFirstFileW/CopyFileW/CreateDirectoryW
//   bench_barecopy SRC DST --naive LOG  the same, and per file reads both files'
//                                     versions with GetFileVersionInfo and writes
//                                     one flushed log line
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

FILE* g_log = nullptr;

void ReadVersion(const std::wstring& path, DWORD* ms, DWORD* ls) {
  *ms = *ls = 0;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) && info) {
    *ms = info->dwFileVersionMS;
    *ls = info->dwFileVersionLS;
  }
}

bool CopyTree(const std::wstring& src, const std::wstring& dst, bool naive) {
  CreateDirectoryW(dst.c_str(), nullptr);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((src + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring from = src + L"\\" + name, to = dst + L"\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = CopyTree(from, to, naive) && ok;
    } else {
      if (naive) {
        DWORD sms, sls, dms, dls;
        ReadVersion(from, &sms, &sls);
        ReadVersion(to, &dms, &dls);
      }
      BOOL copied = CopyFileW(from.c_str(), to.c_str(), FALSE);
      ok = copied && ok;
      if (naive && g_log) {
        fprintf(g_log, "copied %ls -> %ls: %d\n", from.c_str(), to.c_str(), copied ? 1 : 0);
        fflush(g_log);
      }
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_barecopy SRC DST [--naive LOG]\n");
    return 2;
  }
  bool naive = argc >= 5 && std::wstring(argv[3]) == L"--naive";
  if (naive) g_log = _wfopen(argv[4], L"a");
  bool ok = CopyTree(argv[1], argv[2], naive);
  if (g_log) fclose(g_log);
  return ok ? 0 : 1;
}
