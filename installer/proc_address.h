// Typed export lookup: GetProcAddress returns a generic function pointer that
// has to be converted to the export's real type.
#pragma once

#include <windows.h>

template <typename Fn>
Fn LookupExport(HMODULE module, const char* name) {
  if (!module) return nullptr;
  FARPROC proc = GetProcAddress(module, name);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}
