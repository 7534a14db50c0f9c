// The plug-in's settings, read from its own section of the package description
// and from the section the installer writes before loading plug-ins.
#pragma once

#include <cstddef>

namespace hxgeneric {

// Buffer sizes of the settings, terminator included.
const size_t kRegKeySize = 128;
const size_t kServiceNameSize = 128;
const size_t kLanguageFileSize = 260;
const size_t kLanguageCodeSize = 4;  // the first three characters only
const int kMaxStopServices = 20;
const int kMaxLanguageFiles = 10;

// RegKEy of the section; empty when missing.
void ReadRegKey(const char* ini, const char* section, char* out, size_t size);

// StopService<n>. Returns false when the key is absent: reading it with the
// default "Default String" gives exactly that text. A present but empty key
// is not absent.
bool ReadStopService(const char* ini, const char* section, int n, char* out, size_t size);

// An integer key in milliseconds; missing or negative values give 0, so that
// a mistyped value never turns into a wait of days.
unsigned ReadDelay(const char* ini, const char* section, const char* key);

// LanguageFile<n>; empty when missing.
void ReadLanguageFile(const char* ini, const char* section, int n, char* out, size_t size);

// ProductLanguage of the installer's section, cut to three characters.
void ReadProductLanguage(const char* ini, char* out, size_t size);

}  // namespace hxgeneric
