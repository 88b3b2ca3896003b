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
    QMap<QString, int> intVariables{{"OSMODE", 0}, {"FILEDIA", 1}, {"CMDECHO", 1}};
    QStringList commandLog;
};
