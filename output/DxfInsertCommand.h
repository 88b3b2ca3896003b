#pragma once
// The DXF road: the result table is written as "temp.dxf" and the CAD is told
// to insert it exploded at the origin, so its TEXT entities land on layer
// "MIRTEX" where the table says.
//
// The main window implements IDxfInsertWindow and runs the command from its
// "TEXT 挿入" handler (and the crop command's "即、TEXT 挿入" hand-over):
//     TDxfInsertCommand(window).run(startedByCrop);
#include "output/FixedTextHeight.h"

#include <QString>
#include <QStringList>

class TGridModel;

class IDxfInsertWindow {
public:
    virtual ~IDxfInsertWindow() = default;
    virtual QString targetProgId() const = 0;               // TargetProgID
    virtual void setWriteButtonsEnabled(bool enabled) = 0;  // Button1 and Button9
    virtual int textAci() const = 0;                        // TextAci
    virtual void setTextAci(int aci) = 0;                   // kept, and saved at exit
    virtual int attnAci() const = 0;                        // AttnAci
    virtual QString attnChars() const = 0;                  // Edit9
    virtual FixedHeightBoxes fixedHeightBoxes() const = 0;  // CheckBox7/Edit6, CheckBox6/Edit5
    virtual QStringList& ocrResultLines() = 0;              // OcrResultLines
    virtual TGridModel& grid() = 0;                         // StringGrid1
};

class TDxfInsertCommand {
public:
    explicit TDxfInsertCommand(IDxfInsertWindow& window) : m_window(window) {}

    // Button1Click; startedByCrop when the sender is Button2. Without a
    // running CAD it does nothing. Errors of the CAD or of writing the file
    // end it (no command is sent) and propagate as std::exception for the
    // caller's message box; the write buttons are enabled again in any case.
    void run(bool startedByCrop);

    // "-INSERT " "*<path>" CR, then point, scale and rotation, CR.
    static QString insertCommand(const QString& dxfPath);

private:
    IDxfInsertWindow& m_window;
};
