#pragma once
// What the direct road (Button9Click) and the LISP road (Button15Click) need
// of the main window. The main window implements it; tests use a plain double.
#include "app/StatusMemo.h"
#include "output/FixedTextHeight.h"
#include "results/GridModel.h"

#include <QString>
#include <QStringList>

class ITextRoadWindow {
public:
    virtual ~ITextRoadWindow() = default;
    virtual IStatusMemo& memo() = 0;                   // Memo1
    virtual QString targetProgId() const = 0;          // TargetProgID
    virtual int textAci() const = 0;                   // TextAci
    virtual void setTextAci(int aci) = 0;              // kept, and saved at exit
    virtual int attnAci() const = 0;                   // AttnAci
    virtual QString attnChars() const = 0;             // Edit9
    virtual FixedHeightBoxes fixedHeightBoxes() const = 0;  // CheckBox7/Edit6, CheckBox6/Edit5
    virtual bool lispChecked() const = 0;              // CheckBox8 "LISP で作成"
    virtual TGridModel& grid() = 0;                    // StringGrid1
    virtual const QStringList& ocrResultLines() const = 0;
    virtual bool& textRunActive() = 0;                 // cleared by the stop button
    // Running: Button9 and Button1 off, Button17 on; idle: the reverse, and
    // Button9's caption back to "TEXT 作成".
    virtual void setRunButtons(bool running) = 0;
    virtual void disableStopButton() = 0;              // Button17
    // Button15Click with Button2 as sender when fromCrop, else Button9.
    virtual void runLispRoad(bool fromCrop) = 0;
};
