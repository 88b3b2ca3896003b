#pragma once
// The partial-match replace dialog: the text to look for and its replacement.
// Created once at start; its two boxes keep their texts between uses.
#include "results/BulkEdits.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TnTextTikanForm : public QDialog {
public:
    static const QSize DesignClientSize;  // 287 × 113
    explicit TnTextTikanForm(QWidget* parent = nullptr);
    ~TnTextTikanForm() override;

    // Shows the dialog modally above the stay-on-top main window with the
    // search text preset; the texts on OK, nothing on cancel.
    std::optional<ReplaceRequest> ask(const QString& searchText);
    // The instance created at start, null before and after.
    static TnTextTikanForm* instance();

    QLabel *Label1, *Label2;
    QLineEdit *Edit1, *Edit2;
    QPushButton *Button1, *Button2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool Edit1KeyPress(int key);
    bool Edit2KeyPress(int key);
};
