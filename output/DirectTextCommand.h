#pragma once
// The direct road (Button9Click): every row of the table becomes one TEXT in
// the drawing through the CAD's automation calls, hidden until it is placed
// and its width factor fitted. The run shows "i / n" in column 1's header,
// can be stopped between two texts (Button17Click), and undoes as one step.
// With CheckBox8 ticked it hands over to the LISP road instead.
//
// The main window runs it from its handlers:
//     TDirectTextCommand(window, sender == Button2).run();
#include "output/TextDocument.h"
#include "output/TextRoadWindow.h"

#include <optional>

// The width factor that makes a text's diagonal match the row's: the target
// diagonal over the measured one, clamped to [0.25, 1.0], cut to two decimals.
double fittedWidthFactor(double targetDiagonal, const TextBox& measured);

class TDirectTextCommand {
public:
    // fromCrop: the crop command started the run (sender Button2).
    TDirectTextCommand(ITextRoadWindow& window, bool fromCrop);

    // Button9Click. Silent when no CAD runs or the CAD refuses a call; an
    // error of the LISP road (CheckBox8) propagates after the idle state is back.
    void run();

    // The creation loop on an open document: one undo step around the rows,
    // Regen and the memo line at the end. Returns the number of texts made.
    // When a row fails, the undo step is closed before the error goes on.
    int createTexts(ITextDocument& document);

private:
    double rowHeight(int row, const std::optional<QString>& fixedHeight) const;

    ITextRoadWindow& m_window;
    bool m_fromCrop;
};

// Button17Click: the running creation stops after the text it is making.
void stopTextRun(ITextRoadWindow& window);
