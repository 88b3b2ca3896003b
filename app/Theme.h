#pragma once
class QApplication;
// A dark Fusion look for every window.
void applyWindows10Dark(QApplication& app);
