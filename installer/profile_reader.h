// Reading keys of a Windows profile (INI) file one at a time. The package
// parser works against this interface so its rules can be exercised without
// touching the file system.
#pragma once

#include <windows.h>

class ProfileReader {
 public:
  virtual ~ProfileReader() {}
  // Reads a text key with an empty default; at most size - 1 characters are
  // kept and the buffer is always terminated.
  virtual void ReadText(const char* section, const char* key, char* buffer, DWORD size) const = 0;
  // Reads an integer key with default 0.
  virtual int ReadInt(const char* section, const char* key) const = 0;
};

// ProfileReader over a file, through the operating system's profile functions.
// A missing file reads as a file of empty sections.
class IniFileReader : public ProfileReader {
 public:
  explicit IniFileReader(const char* path) : path_(path) {}
  void ReadText(const char* section, const char* key, char* buffer, DWORD size) const override;
  int ReadInt(const char* section, const char* key) const override;

 private:
  const char* path_;
};
