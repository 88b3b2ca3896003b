#pragma once
// The three dialogs created at start-up beside the main window; their
// contents come with the commands that show them.
#include "app/TaregetCADUnit.h"
#include "imaging/ColorIndexUnit.h"

#include <QDialog>


class TnTextTikanForm : public QDialog {
public:
    explicit TnTextTikanForm(QWidget* parent = nullptr) : QDialog(parent) {
        setWindowTitle(QStringLiteral("部分一致文字列置換"));
    }
};
