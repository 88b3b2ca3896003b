#pragma once
// A Windows-style INI file read and written one key at a time, the way the
// Windows profile functions do it: sections and keys are found ignoring case,
// the first occurrence wins, and writing a key rewrites only that key's line.
// Every other byte of an existing file is kept as it was.
#include <QByteArray>
#include <QString>
#include <vector>

class IniFile {
public:
    enum class Encoding { Utf8, Cp932 };

    // Reads the file; a missing or unreadable file behaves like an empty one.
    explicit IniFile(const QString& path);

    // The stored value with surrounding blanks and one pair of surrounding
    // double quotes removed; def when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& def) const;

    // Replaces the key's line, or adds the key to the end of its section, or
    // adds the section to the end of the file. Takes effect on save().
    void writeString(const QString& section, const QString& key, const QString& value);

    // Writes the file when something was written; false when that failed.
    bool save() const;

    // UTF-8 for new files and files that are valid UTF-8, otherwise Shift_JIS.
    Encoding encoding() const { return m_encoding; }

private:
    struct Line {
        QByteArray raw;   // as in the file, without its line break
        QByteArray eol;   // "\r\n", "\n" or empty for a last line without one
        QString text;     // decoded
    };
    struct KeyLine {
        QString key;
        QString value;
    };
    static bool sectionName(const QString& text, QString* name);
    static bool keyLine(const QString& text, KeyLine* out);
    int findSection(const QString& section) const;          // index of the header line or -1
    int findKey(int sectionLine, const QString& key) const;  // index of the key line or -1
    int sectionEnd(int sectionLine) const;  // index after the section's last non-blank line
    QByteArray encode(const QString& text) const;
    Line makeLine(const QString& text) const;

    QString m_path;
    Encoding m_encoding = Encoding::Utf8;
    QByteArray m_bom;
    QByteArray m_newline = "\n";
    std::vector<Line> m_lines;
    bool m_dirty = false;
};
