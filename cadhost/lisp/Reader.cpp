#include "cadhost/lisp/Reader.h"

#include "cadhost/lisp/Interpreter.h"
#include "output/CodePage.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>

namespace lisp {

namespace {

bool isDelimiter(QChar c)
{
    return c.isSpace() || c == u'(' || c == u')' || c == u'\'' || c == u'"' || c == u';';
}

}  // namespace

Reader::Reader(Interpreter& interp, QString source) : m_interp(interp), m_text(std::move(source)) {}

void Reader::skipBlank()
{
    while (m_pos < m_text.size()) {
        const QChar c = m_text[m_pos];
        if (c.isSpace()) {
            ++m_pos;
        } else if (c == u';' && m_text.mid(m_pos + 1, 1) == "|") {
            const qsizetype end = m_text.indexOf("|;", m_pos + 2);
            m_pos = end < 0 ? m_text.size() : end + 2;
        } else if (c == u';') {
            while (m_pos < m_text.size() && m_text[m_pos] != u'\n') ++m_pos;
        } else {
            return;
        }
    }
}

std::optional<Value> Reader::next()
{
    skipBlank();
    if (m_pos >= m_text.size()) return std::nullopt;
    if (m_text[m_pos] == u')') throw LispError("extra right paren on input");
    return readForm(0);
}

Value Reader::readForm(int depth)
{
    if (depth > Limits::kReadDepth) throw LispError("malformed list on input: nesting too deep");
    skipBlank();
    if (m_pos >= m_text.size()) throw LispError("malformed list on input");
    const QChar c = m_text[m_pos];
    if (c == u'(') {
        ++m_pos;
        return readList(depth + 1);
    }
    if (c == u'\'') {
        ++m_pos;
        skipBlank();
        if (m_pos >= m_text.size() || m_text[m_pos] == u')') throw LispError("malformed list on input");
        return makeList({makeSymbol(m_interp.intern("QUOTE")), readForm(depth + 1)});
    }
    if (c == u'"') return readString();
    return readAtom();
}

Value Reader::readList(int depth)
{
    ListBuilder items;
    for (;;) {
        skipBlank();
        if (m_pos >= m_text.size()) throw LispError("malformed list on input");
        if (m_text[m_pos] == u')') {
            ++m_pos;
            return items.take();
        }
        const bool dot = m_text[m_pos] == u'.' && (m_pos + 1 >= m_text.size() || isDelimiter(m_text[m_pos + 1]));
        if (!dot) {
            items.add(readForm(depth));
            continue;
        }
        ++m_pos;
        Value list = items.take();
        if (list.isNil()) throw LispError("misplaced dot on input");
        skipBlank();
        if (m_pos < m_text.size() && m_text[m_pos] == u')') throw LispError("misplaced dot on input");
        Value tail = readForm(depth);
        skipBlank();
        if (m_pos >= m_text.size()) throw LispError("malformed list on input");
        if (m_text[m_pos] != u')') throw LispError("misplaced dot on input");
        ++m_pos;
        Value last = list;
        while (cell(last).cdr.type == Type::List) last = cell(last).cdr;
        static_cast<Cons&>(*last.node).cdr = std::move(tail);
        return list;
    }
}

Value Reader::readString()
{
    ++m_pos;  // the opening quote
    QString out;
    while (m_pos < m_text.size()) {
        if (out.size() > Limits::kMaxString) throw LispError("string too long on input");
        const QChar c = m_text[m_pos++];
        if (c == u'"') return makeString(out);
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (m_pos >= m_text.size()) break;
        const QChar e = m_text[m_pos++];
        switch (e.unicode()) {
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'e': out += QChar(0x1b); break;
        default:
            if (e >= u'0' && e <= u'7') {
                int code = e.unicode() - '0';
                for (int k = 0; k < 2 && m_pos < m_text.size() && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'7'; ++k)
                    code = code * 8 + (m_text[m_pos++].unicode() - '0');
                out += QChar(code);
            } else {
                out += e;  // \\, \" and any other character stand for themselves
            }
        }
    }
    throw LispError("malformed string on input");
}

Value Reader::readAtom()
{
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos])) ++m_pos;
    const QString token = m_text.mid(start, m_pos - start);
    if (token.size() > Limits::kMaxToken) throw LispError("symbol or number too long on input");
    static const QRegularExpression integer("^[+-]?\\d+$");
    static const QRegularExpression real("^[+-]?\\d+(\\.\\d*)?([eE][+-]?\\d+)?$");
    if (integer.match(token).hasMatch()) {
        bool ok = false;
        const qint64 v = token.toLongLong(&ok);
        if (ok && v >= INT32_MIN && v <= INT32_MAX) return makeInt(qint32(v));
        // AutoLISP reads an integer beyond 32 bits as a real
    }
    if (real.match(token).hasMatch()) {
        const double v = token.toDouble();
        if (!std::isfinite(v)) throw LispError("number out of range on input: " + token.left(40));
        return makeReal(v);
    }
    if (token.startsWith('.')) throw LispError("misplaced dot on input");
    if (token.compare("nil", Qt::CaseInsensitive) == 0) return Value{};
    return makeSymbol(m_interp.intern(token));
}

QString decodeLispFile(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16);  // takes the byte order from the mark
        return decoder(bytes);
    }
    return fromCp932(bytes);
}

}  // namespace lisp
