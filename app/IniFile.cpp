#include "IniFile.h"

#include "output/CodePage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A value is stored so that reading gives it back unchanged: values that the
// reader would trim or unquote get one extra pair of quotes, and line breaks,
// which would split the line into foreign keys, become blanks.
QString storedValue(QString value) {
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    const bool trimmable = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool quoted = value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
    return (trimmable || quoted) ? u'"' + value + u'"' : value;
}
}

IniFile::IniFile(const QString& path) : m_path(path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = bytes.left(3);
        bytes.remove(0, 3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);  // the check happens on conversion
    Q_UNUSED(decoded);
    m_encoding = (utf8.hasError() && m_bom.isEmpty()) ? Encoding::Cp932 : Encoding::Utf8;

    bool sawCrLf = false, sawLf = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.raw = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > pos && bytes[end - 1] == '\r') {
                --end;
                line.eol = "\r\n";
                sawCrLf = true;
            } else {
                line.eol = "\n";
                sawLf = true;
            }
            line.raw = bytes.mid(pos, end - pos);
            pos = nl + 1;
        }
        line.text = m_encoding == Encoding::Utf8 ? QString::fromUtf8(line.raw) : fromCp932(line.raw);
        m_lines.push_back(std::move(line));
    }
    if (sawCrLf && !sawLf) m_newline = "\r\n";
}

bool IniFile::sectionName(const QString& text, QString* name) {
    const QString t = trimBlanks(text);
    if (!t.startsWith(u'[')) return false;
    const qsizetype close = t.indexOf(u']');
    *name = trimBlanks(t.mid(1, close < 0 ? -1 : close - 1));
    return true;
}

bool IniFile::keyLine(const QString& text, KeyLine* out) {
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0) return false;
    const QString key = trimBlanks(text.left(eq));
    if (key.startsWith(u';')) return false;  // comment
    QString value = trimBlanks(text.mid(eq + 1));
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        value = value.mid(1, value.size() - 2);
    out->key = key;
    out->value = value;
    return true;
}

int IniFile::findSection(const QString& section) const {
    const QString wanted = trimBlanks(section);
    QString name;
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (sectionName(m_lines[i].text, &name) && sameName(name, wanted)) return int(i);
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const {
    const QString wanted = trimBlanks(key);
    QString name;
    KeyLine kl;
    for (size_t i = size_t(sectionLine) + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].text, &name)) break;
        if (keyLine(m_lines[i].text, &kl) && sameName(kl.key, wanted)) return int(i);
    }
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const {
    int end = sectionLine + 1;
    QString name;
    for (size_t i = size_t(sectionLine) + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].text, &name)) break;
        if (!trimBlanks(m_lines[i].text).isEmpty()) end = int(i) + 1;
    }
    return end;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const int s = findSection(section);
    if (s < 0) return def;
    const int k = findKey(s, key);
    if (k < 0) return def;
    KeyLine kl;
    keyLine(m_lines[size_t(k)].text, &kl);
    return kl.value;
}

QByteArray IniFile::encode(const QString& text) const {
    return m_encoding == Encoding::Utf8 ? text.toUtf8() : toCp932(text);
}

IniFile::Line IniFile::makeLine(const QString& text) const {
    Line line;
    line.raw = encode(text);
    line.eol = m_newline;
    line.text = m_encoding == Encoding::Utf8 ? text : fromCp932(line.raw);
    return line;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString text = trimBlanks(key) + u'=' + storedValue(value);
    const int s = findSection(section);
    if (s >= 0) {
        const int k = findKey(s, key);
        if (k >= 0) {
            Line& line = m_lines[size_t(k)];
            // A value that reads back unchanged keeps its line as it is: its bytes
            // may hold characters the file's encoding could not write again.
            KeyLine stored;
            if (keyLine(line.text, &stored) && stored.value == value) return;
            m_dirty = true;
            const QByteArray eol = line.eol;
            line = makeLine(text);
            line.eol = eol;
            return;
        }
        m_dirty = true;
        const int at = sectionEnd(s);
        // The line before the new one may be the file's last, without a break.
        if (m_lines[size_t(at - 1)].eol.isEmpty()) m_lines[size_t(at - 1)].eol = m_newline;
        m_lines.insert(m_lines.begin() + at, makeLine(text));
        return;
    }
    m_dirty = true;
    if (!m_lines.empty() && m_lines.back().eol.isEmpty()) m_lines.back().eol = m_newline;
    m_lines.push_back(makeLine(u'[' + trimBlanks(section) + u']'));
    m_lines.push_back(makeLine(text));
}

bool IniFile::save() const {
    if (!m_dirty) return true;
    QByteArray bytes = m_bom;
    for (const Line& line : m_lines) bytes += line.raw + line.eol;
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}
