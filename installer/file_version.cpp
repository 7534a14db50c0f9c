#include "file_version.h"

#include <memory>

namespace {
const DWORD kFixedInfoSignature = 0xFEEF04BD;
// Version resources are small; most fit this buffer without a heap block.
const DWORD kStackBufferSize = 4096;
}  // namespace

FileVersion ReadFileVersion(const char* path) {
  FileVersion version = {0, 0};
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return version;
  BYTE stackBuffer[kStackBufferSize];
  std::unique_ptr<BYTE[]> heapBuffer;
  BYTE* buffer = stackBuffer;
  if (size > kStackBufferSize) {
    heapBuffer.reset(new (std::nothrow) BYTE[size]);
    if (!heapBuffer) return version;
    buffer = heapBuffer.get();
  }
  if (!GetFileVersionInfoA(path, 0, size, buffer)) return version;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(buffer, "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != kFixedInfoSignature)
    return version;
  version.high = fixed->dwFileVersionMS;
  version.low = fixed->dwFileVersionLS;
  return version;
}
