#include "Form102.h"
#include "Theme.h"

#include <QApplication>
#include <QDialog>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    applyWindows10Dark(app);
    // The main window is a top-level window of its own, with its own task-bar entry.
    TForm102 form;
    QDialog targetCad(&form), colorIndex(&form), textReplace(&form);
    targetCad.setWindowTitle("ターゲット CAD");
    colorIndex.setWindowTitle("■ ColorIndex");
    textReplace.setWindowTitle("部分一致文字列置換");
    form.show();
    return app.exec();
}
