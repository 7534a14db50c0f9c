#include "file_version.h"

#include <cstddef>
#include <cstring>

#include "shared/scoped_handle.h"

namespace {
const DWORD kFixedInfoSignature = 0xFEEF04BD;
// VS_VERSIONINFO starts with three WORDs and the key "VS_VERSION_INFO" (16
// wide characters with its terminator); the fixed record follows on the next
// 32-bit boundary.
const size_t kFixedInfoOffset = 40;
}  // namespace

bool ParseVersionResource(const void* data, size_t size, FileVersion* version) {
  version->high = 0;
  version->low = 0;
  if (!data || size < kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO)) return false;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  WORD valueLength = 0;
  memcpy(&valueLength, bytes + 2, sizeof(valueLength));
  if (valueLength < sizeof(VS_FIXEDFILEINFO)) return false;
  VS_FIXEDFILEINFO fixed;
  memcpy(&fixed, bytes + kFixedInfoOffset, sizeof(fixed));
  if (fixed.dwSignature != kFixedInfoSignature) return false;
  version->high = fixed.dwFileVersionMS;
  version->low = fixed.dwFileVersionLS;
  return true;
}

FileVersion ReadFileVersion(const char* path) {
  // One mapping of the file as an image resource: cheaper than the two
  // loads of GetFileVersionInfoSize and GetFileVersionInfo.
  FileVersion version = {0, 0};
  hx::ScopedLibrary image(
      LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!image) return version;
  HRSRC resource = FindResourceA(image.Get(), MAKEINTRESOURCEA(VS_VERSION_INFO),
                                 MAKEINTRESOURCEA(16) /* RT_VERSION */);
  if (!resource) return version;
  HGLOBAL loaded = LoadResource(image.Get(), resource);
  if (!loaded) return version;
  ParseVersionResource(LockResource(loaded), SizeofResource(image.Get(), resource), &version);
  return version;
}
