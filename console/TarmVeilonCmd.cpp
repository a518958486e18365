// The console program's entry: the real platform, the words of its command line, and the
// exit status. A console program: it never opens a window, nor a box.

#include <exception>
#include <string>
#include <vector>

#include "console/ConsoleProgram.h"
#include "console/ExitStatus.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32Platform.h"

int wmain(int argc, wchar_t** argv) {
    tv::win32::Win32Platform platform;
    // The last boundary: nothing unwinds out of the program, and nothing ends it silently.
    try {
        std::vector<std::string> words;
        for (int at = 1; at < argc; ++at) words.push_back(tv::win32::narrowUntilNul(argv[at]));
        return tv::console::runConsoleProgram(platform, words, &tv::engine::RunCleaning);
    } catch (const std::exception& error) {
        platform.writeStandard(tv::StandardStream::Error, std::string("TarmVeilonCmd\u00A0: ") + error.what() + "\r\n");
    } catch (...) {
        platform.writeStandard(tv::StandardStream::Error, "TarmVeilonCmd\u00A0: erreur inconnue\r\n");
    }
    return tv::console::kExitRunError;
}
