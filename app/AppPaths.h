#pragma once
#include <QString>

// Where MIRTEX keeps its files: the executable's folder and the executable's
// path with an extension appended ("MIRTEX" + ".ini", ".tsv", ...).
// Tests point both at a scratch folder with setExecutableForTesting.
namespace AppPaths {
QString exeFolder();                        // with a trailing separator
QString exePathWith(const QString& ext);    // e.g. ".ini" -> <folder>/MIRTEX.ini
QString inExeFolder(const QString& name);   // e.g. "source.png"
void setExecutableForTesting(const QString& folder);
}
