#pragma once
// The fixed text height a writing road uses. A road started by the crop
// command (sender Button2) reads the top panel's box, one started by its own
// button the bottom panel's.
#include <QString>

struct FixedHeightBoxes {
    bool cropTicked = false;   // CheckBox7 "作成文字高=" (top panel)
    QString cropText;          // Edit6
    bool tableTicked = false;  // CheckBox6 "作成文字高=" (bottom panel)
    QString tableText;         // Edit5
};

// The box's number (2.5 when it is no number) when the sender's box is
// ticked; 0, meaning each row's own height, otherwise.
double fixedTextHeight(bool startedByCrop, const FixedHeightBoxes& boxes);

// The output layer's colour: TextAci below 1 is taken as 30.
int correctedTextAci(int textAci);
