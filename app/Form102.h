#pragma once
// The main window: every control of the system, the process-wide state and
// the handlers that only route or open things.
#include "StatusMemo.h"
#include "results/CropGeometry.h"
#include "results/GridModel.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableView>
#include <QWidget>

class TForm102 : public QWidget, public IStatusMemo {
    Q_OBJECT
public:
    explicit TForm102(QWidget* parent = nullptr);
    ~TForm102() override;

    // IStatusMemo, on Memo1.
    void addLine(const QString& line) override;
    void clear() override;
    void processMessages() override;
    void information(const QString& text) override;

    double txhscFromEdit4() const;
    int readResultSL(double txhsc, bool degFix);

    QStringList OcrResultLines;
    QString OcrFlaggedLines;
    CropGeometry Crop;
    QString TargetProgID, TargetCadName;
    int LineAci = 3, TextAci = 30, AttnAci = 1;
    QColor LineColor, TextColor, AttnColor;
    int ZcadSleep = 300, AcadSleep = 200;
    int sgUndoCnt = 0;
    TGridModel Grid;

    QFrame *Panel1, *Panel2, *Splitter1;
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8,
        *Button9, *Button11, *Button12, *Button13, *Button14, *Button15, *Button16, *Button17;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7, *CheckBox8;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9;
    QFrame *Shape1, *Shape2, *Shape3, *Shape4;
    QLabel *Image1, *Image2, *Label1, *Label2;
    QTableView* StringGrid1;
    QPlainTextEdit* Memo1;
    QMenu *PopupMenu1, *PopupMenu2;

public slots:
    void FormCreate();
    void FormDestroy();
    void CheckBox1Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void Button8Click();
    void Button14Click();
    void MIRTEXexe1Click();
    void Edit2Change();
    void StringGrid1Click();
    void Button13Click();
    void Button5Click();

private:
    void buildControls();
    void setSwatch(QFrame* shape, QColor c);
    bool m_destroyed = false;
};
