#include <windows.h>

// Nothing to set up or release: the settings are plain data and the log
// holds no file open between lines.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
