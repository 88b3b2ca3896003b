#pragma once
#include <QString>

// Where MIRTEX keeps its files: the executable's folder, and names made from
// the executable's own path with its extension replaced (".ini", ".tsv",
// ".bmp", ".lsp"), so that a renamed copy keeps files of its own.
// Tests point both at a scratch folder with setExecutableForTesting.
namespace AppPaths {
QString exeFolder();                        // with a trailing separator
QString exePathWith(const QString& ext);    // e.g. ".ini" -> <folder>/MIRTEX.ini for <folder>/MIRTEX
QString inExeFolder(const QString& name);   // e.g. "source.png"
// The path with the extension of its file name (from the last ".", if any)
// replaced by ext: "/a/MIRTEX.exe" and "/a/MIRTEX" both give "/a/MIRTEX.ini".
QString replaceExtension(const QString& path, const QString& ext);
// As if the executable were <folder>/<name>.
void setExecutableForTesting(const QString& folder, const QString& name = QStringLiteral("MIRTEX"));
}
