#pragma once
// The application object of the window manager tests (made once and never
// destroyed, as Qt's exit routines outlive static objects), once a window
// manager runs.
#include "WindowManagerState.h"
#include "app/Application.h"

inline bool startWindowManagerTest() {
    static int argc = 1;
    static char name[] = "app_window_manager_test";
    static char* argv[] = {name, nullptr};
    static MirtexApplication* app = new MirtexApplication(argc, argv);
    Q_UNUSED(app);
    static const bool managerReady = WindowManagerState::waitForWindowManager(30000);
    return managerReady;
}
