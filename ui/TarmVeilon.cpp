// The program's entry: the real platform and the native toolkit, then the start-up and
// the message loop. Nothing is taken from the command line.

#include <exception>

#include "platform/toolkit/Application.h"
#include "platform/toolkit/win32/Win32Backend.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tv::win32::Win32Platform platform;
    tv::toolkit::win32::Win32Backend backend;
    int exitCode = 1;
    {
        // Goes before the backend: the windows are destroyed, then COM is released.
        tv::toolkit::Application app(backend);
        // The last boundary: nothing unwinds out of the program's entry.
        try {
            exitCode = tv::ui::runProgram(app, platform);
        } catch (const std::exception& error) {
            app.showException(error);
        } catch (...) {
            app.showUnknownException();
        }
    }
    return exitCode;
}
