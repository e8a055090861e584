/* The floor for a Windows program under Wine: it only starts and ends.
 * Built like hostwarden.exe (x86_64 mingw-w64, statically linked, a GUI
 * program) so the two differ only in what they do. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  return 0;
}
