#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Form102.h"

int main(int argc, char** argv) {
    MirtexApplication app(argc, argv);
    applyWindows10Dark(app);
    // The title is kApplicationTitle, used where it is shown; it is not made the
    // display name, which Qt would append to every window's title bar.
    TForm102 Form102;  // a top-level window of its own: its own task-bar button
    TTargetCADForm TargetCADForm(&Form102);
    TColorIndexForm ColorIndexForm(&Form102);
    TnTextTikanForm nTextTikanForm(&Form102);
    Form102.show();
    return app.exec();
}
