// The few Windows types, constants and calls that the pure parsers use, so
// they build natively for fuzzing. Only what those files need; the calls are
// plain ASCII stand-ins with the same results for the texts they see.
#pragma once

#include <stdint.h>
#include <string.h>
#include <strings.h>

typedef uint32_t DWORD;
typedef int BOOL;
typedef char CHAR;
typedef int32_t INT32;
typedef int32_t LONG;
typedef uintptr_t ULONG_PTR;
typedef uint32_t LCID;
typedef void* HMODULE;

struct HKEY__;
typedef HKEY__* HKEY;
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define __stdcall

#define LOCALE_INVARIANT 0x007f
#define NORM_IGNORECASE 0x00000001
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3

static inline int FuzzShimLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// Counted comparison; -1 counts mean "up to the terminator".
static inline int CompareStringA(LCID, DWORD flags, const char* a, int na, const char* b, int nb) {
  size_t la = na < 0 ? strlen(a) : (size_t)na;
  size_t lb = nb < 0 ? strlen(b) : (size_t)nb;
  size_t n = la < lb ? la : lb;
  for (size_t i = 0; i < n; ++i) {
    int x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (flags & NORM_IGNORECASE) {
      x = FuzzShimLower((unsigned char)x);
      y = FuzzShimLower((unsigned char)y);
    }
    if (x != y) return x < y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (la == lb) return CSTR_EQUAL;
  return la < lb ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}

static inline int lstrcmpiA(const char* a, const char* b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) - 2;
}

#include "crt_time.h"
