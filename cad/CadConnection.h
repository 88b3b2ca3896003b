#pragma once
#include "CadObject.h"
#include <QString>

// The application object of the CAD running for progId. Never starts a CAD.
// With activate, a minimised CAD is maximised and its main window brought to
// the front, then the CAD gets 100 ms to settle. False on any failure,
// silently; application is only changed on success.
bool connectCad(const QString& progId, CadObject& application, bool activate);

// Makes sure the document has the layer name (letters a-z compared without
// case) with colour aci: an existing layer is recoloured, else one is added.
// Returns true; errors of the CAD reach the caller as CadError.
bool ensureLayer(CadObject& document, const QString& name, int aci);
