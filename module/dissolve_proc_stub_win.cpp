// Placeholder dialog procedure for the export table until the settings dialog exists:
// handles no message.
#include <windows.h>

extern "C" INT_PTR CALLBACK DissolveProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
