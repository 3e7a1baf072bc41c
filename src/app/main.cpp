// Entry: the program reads no arguments, environment or files.
#include "app/app_state.h"
#include "app/startup.h"
#include "ui/ui.h"

int main()
{
    resetAppState();
    osIgnoreBrokenPipes();
    installOsServices();
    initToolkit();          // before any box, so the boxes are real dialogs
    createFonts();
    app.appVersion = "4.0";
    app.configLoaded = 0;
    app.marqueeX = MarqueeStartX;
    startUp();
    runEventLoop();
    exitApplication();
}
