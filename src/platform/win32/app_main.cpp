// Program entry on Windows.
#include <windows.h>

#include "app/app.h"
#include "app/shell.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/files.h"
#include "platform/win32/ui.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace lyricsub;
  win32::Win32Ui ui(instance);
  win32::Win32Desktop desktop;
  win32::Win32Files files;
  win32::Win32Clock clock;
  App app(Platform{ui, ui, desktop, files, clock});
  ui.set_event_sink(app);
  start_up(app);
  return ui.run_message_loop();
}
