#pragma once
// The three dialogs created at start-up beside the main window; their
// contents come with the commands that show them.
#include "app/TaregetCADUnit.h"
#include "imaging/ColorIndexUnit.h"
#include "results/nTextTikanUnit.h"

#include <QDialog>



