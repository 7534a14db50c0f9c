#include "profile_reader.h"

void IniFileReader::ReadText(const char* section, const char* key, char* buffer,
                             DWORD size) const {
  if (size == 0) return;
  buffer[0] = '\0';
  GetPrivateProfileStringA(section, key, "", buffer, size, path_);
  buffer[size - 1] = '\0';
}

int IniFileReader::ReadInt(const char* section, const char* key) const {
  return static_cast<int>(GetPrivateProfileIntA(section, key, 0, path_));
}
