#include "ui/Program.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit6.h"
#include "ui/Unit7.h"

namespace tv::ui {

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TForm6* Form6 = nullptr;
TSplashForm* SplashForm = nullptr;

namespace {

// Creates a window owned by the application and stores it in its reference before its
// creation handler runs, so that the handler may already reach it through the reference.
template <class T, class... Args>
T& createForm(toolkit::Application& app, T*& reference, bool mainCandidate, Args&&... args) {
    auto form = std::make_unique<T>(app, std::forward<Args>(args)...);
    T& created = static_cast<T&>(app.adopt(std::move(form), mainCandidate));
    reference = &created;
    app.backend().realize(created);
    if constexpr (requires { created.FormCreate(); }) created.FormCreate();
    return created;
}

// The splash goes whatever happened while it was up.
class SplashGuard {
public:
    explicit SplashGuard(toolkit::Application& app) : app_(app) {}
    ~SplashGuard() {
        if (!SplashForm) return;
        SplashForm->hide();
        app_.release(*SplashForm);
        SplashForm = nullptr;
    }
    SplashGuard(const SplashGuard&) = delete;
    SplashGuard& operator=(const SplashGuard&) = delete;

private:
    toolkit::Application& app_;
};

void createWindows(toolkit::Application& app, PlatformServices& platform) {
    SplashGuard splash(app);
    createForm(app, SplashForm, /*mainCandidate=*/false);
    SplashForm->showForm();
    SplashForm->repaint();

    createForm(app, Form1, true, platform);
    createForm(app, Form2, true, platform);
    createForm(app, Form3, true);
    createForm(app, Form4, true);
    createForm(app, Form6, true, platform);
}

} // namespace

bool startUp(toolkit::Application& app, PlatformServices& platform) {
    app.initialize();
    app.setTitle(kApplicationTitle);
    try {
        createWindows(app, platform);
        return true;
    } catch (const std::exception& error) {
        app.showException(error);
    } catch (...) {
        app.showException(std::runtime_error("Erreur inattendue au démarrage"));
    }
    return false;
}

int runProgram(toolkit::Application& app, PlatformServices& platform) {
    const bool started = startUp(app, platform);
    if (started) app.run();
    forgetWindows();
    return started ? 0 : 1;
}

void forgetWindows() {
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
    Form4 = nullptr;
    Form6 = nullptr;
    SplashForm = nullptr;
}

} // namespace tv::ui
