#pragma once
#include <QString>

// The well-known bus name under which a CAD serves its application object for
// a ProgID: elements split at ".", characters outside [A-Za-z0-9_] become "_",
// an empty element or one starting with a digit gets a leading "_", all under
// "org.mirtex.cad.".
QString progIdToBusName(const QString& progId);
