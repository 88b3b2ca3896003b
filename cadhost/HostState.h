#pragma once
// Everything the host knows besides its window: the drawing, undo, the view,
// system variables and the command line's history.
#include "cadhost/Drawing.h"
#include "cadhost/UndoStack.h"
#include "cadhost/ViewTransform.h"

#include <QMap>
#include <QStringList>

struct HostState {
    Drawing drawing;
    UndoStack undo;
    ViewTransform view;
    // A freshly opened drawing is shown whole, also after the area is resized,
    // until the view is zoomed or panned.
    bool viewFollowsExtents = false;
    QMap<QString, int> intVariables{{"OSMODE", 0}, {"FILEDIA", 1}, {"CMDECHO", 1}};
    QStringList commandLog;
};
