#pragma once
// The main window: every control of the system, the shared state the commands
// work on, and the thin handlers that route to plain functions.
#include "app/ImageControl.h"
#include "app/Settings.h"
#include "app/StatusMemo.h"
#include "app/StringGridView.h"
#include "cad/MessageFilter.h"
#include "results/ResultReader.h"
#include "results/CropGeometry.h"
#include "results/GridModel.h"
#include "results/UndoCells.h"

#include <QCheckBox>
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class TForm102 : public QWidget, public IStatusMemo {
    Q_OBJECT
public:
    static const QSize DesignClientSize;
    explicit TForm102(QWidget* parent = nullptr);
    ~TForm102() override;

    // IStatusMemo
    void addLine(const QString& line) override;
    void clear() override;
    void processMessages() override;
    void information(const QString& text) override;

    double txhscFromEdit4() const;
    // Pixel width of a text in the grid's font.
    TextWidthFn gridTextWidth() const;
    // The output layer colour setting, with its RGB value and swatch.
    void setTextAci(int aci);
    // Moves the grid's current cell without showing the row (StringGrid1Click).
    void setCurrentCellWithoutShowing(int col, int row);

    QStringList OcrResultLines;
    QString OcrFlaggedLines;
    CropGeometry Crop;
    QString TargetProgID, TargetCadName;
    int LineAci = 3, TextAci = 30, AttnAci = 1;
    QColor LineColor, TextColor, AttnColor;
    int ZcadSleep = 300, AcadSleep = 200;
    int sgUndoCnt = 0;
    bool textRunActive = false;  // a direct TEXT creation is running; Button17 clears it
    TUndoCells FUndoCells;
    TGridModel Grid;

    QWidget *Panel1, *Panel2;
    QSplitter* Splitter1;
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8,
        *Button9, *Button11, *Button12, *Button13, *Button14, *Button15, *Button16, *Button17;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7,
        *CheckBox8;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9;
    QFrame *Shape1, *Shape2, *Shape3, *Shape4;
    TImage *Image1, *Image2;  // Image1's picture is the image that is recognised
    QLabel *Label1, *Label2;
    TStringGridView* StringGrid1;
    QPlainTextEdit* Memo1;
    QMenu *PopupMenu1, *PopupMenu2;

public slots:
    void FormCreate();
    void FormDestroy();
    void CheckBox1Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void Edit2Change();
    void Memo1DblClick();
    void StringGrid1Click();
    void StringGrid1FixedCellClick(int ACol, int ARow);
    // Key handlers: true when the key is swallowed.
    bool StringGrid1KeyDown(int Key, Qt::KeyboardModifiers Shift);
    bool Edit2KeyDown(int Key, Qt::KeyboardModifiers Shift);
    void Button3Click();
    void Button7Click();
    void Button12Click();
    // The DXF road; Sender is Button2 when the crop command hands over.
    void Button1Click(QObject* Sender);
    void Button9Click(QObject* Sender);
    void Button15Click(QObject* Sender);
    void Button17Click();
    void Button2Click();
    void Button5Click();
    void Button8Click();
    void Button13Click();
    void Button14Click();
    void MIRTEXexe1Click();
    void qvriselsp1Click();               // the companion file into the CAD
    void VRISE1Click(QObject* Sender);    // the seven companion commands, by item name
    void Button4Click();   // target CAD dialog
    void Button6Click();   // frame colour
    void Button11Click();  // layer colour, or the attention colour for Button16
    void N1Click();        // the image menu: "source.png" and the three text-erased images
    void OCRsource1png1Click();
    void N2OCR1Click();
    void OCRsource2png1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopPanel();
    void buildBottomPanel();
    void buildMenus();
    void applySettings(const SettingsValues& v);
    SettingsValues collectSettings() const;
    void setSwatch(QFrame* shape, const QColor& c);
    // Keeps a child's distance to its panel's right (and bottom) edge as designed.
    struct Anchor {
        QWidget* w;
        bool stretchX, right, stretchY;
        QRect design;
        QSize panel;
    };
    std::vector<Anchor> m_anchors;
    bool m_destroyed = false;
    bool m_rowDisplayHeld = false;  // a move of the current cell does not show the row
    std::shared_ptr<TMessageFilter> m_messageFilter;
};
