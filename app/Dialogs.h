#pragma once
// The three dialogs created at start-up beside the main window; their
// contents come with the commands that show them.
#include <QDialog>

class TTargetCADForm : public QDialog {
public:
    explicit TTargetCADForm(QWidget* parent = nullptr) : QDialog(parent) {
        setWindowTitle(QStringLiteral("ターゲット CAD"));
    }
};

class TColorIndexForm : public QDialog {
public:
    explicit TColorIndexForm(QWidget* parent = nullptr) : QDialog(parent) {
        setWindowTitle(QStringLiteral("■ ColorIndex"));
    }
};

class TnTextTikanForm : public QDialog {
public:
    explicit TnTextTikanForm(QWidget* parent = nullptr) : QDialog(parent) {
        setWindowTitle(QStringLiteral("部分一致文字列置換"));
    }
};
