/* A DLL that carries nothing but its version resource: a file with a chosen
 * file version for the installer's version-aware copy tests. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
