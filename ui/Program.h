#pragma once
// The program's start-up and the program-wide window references. The entry point runs it
// with the native backend and the real platform; the tests run it headless in memory.

#include "platform/PlatformServices.h"
#include "platform/toolkit/Application.h"

namespace tv::ui {

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm6;
class TSplashForm;

inline constexpr const char* kApplicationTitle = "Tarmel Veilo";

// Each set once by the start-up and valid while the application object lives.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TForm6* Form6;
extern TSplashForm* SplashForm; // during the start-up only

// Initialises the application, shows the splash while the windows are created, then closes
// and releases it. False when a window could not be created: the error has been shown and
// the message loop must not run.
bool startUp(toolkit::Application& app, PlatformServices& platform);

// The whole program: start-up, then the message loop until the main window closes.
// Returns the process's exit code.
int runProgram(toolkit::Application& app, PlatformServices& platform);

// Forgets the references, for when the application object goes.
void forgetWindows();

} // namespace tv::ui
