// Strings: positions count characters from 1 (substr) or from 0 (vl-string-*), as in AutoLISP.
#include "cadhost/lisp/Interpreter.h"
#include "cadhost/lisp/Reader.h"

#include <QRegularExpression>

namespace lisp {

namespace {

Value checkedString(QString s)
{
    if (s.size() > Limits::kMaxString) throw LispError("string too long");
    return makeString(std::move(s));
}

[[noreturn]] void badValue(const Value& v) { throw LispError("bad argument value: " + printValue(v, true)); }

// The leading part of the text that reads as a number: blanks, sign, digits, and for reals a fraction and exponent.
QString numberPrefix(const QString& s, bool real)
{
    static const QRegularExpression integer("^\\s*[+-]?\\d+");
    static const QRegularExpression decimal("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?");
    const QRegularExpressionMatch m = (real ? decimal : integer).match(s);
    return m.hasMatch() ? m.captured(0).trimmed() : QString();
}

qsizetype startArg(const Args& a, size_t index)
{
    if (a.size() <= index) return 0;
    const qint32 start = intArg(a[index]);
    if (start < 0) badValue(a[index]);
    return start;
}

}  // namespace

void addStringFunctions(Interpreter& in)
{
    in.defineFunction("STRCAT", [](Interpreter&, Args& a) {
        QString out;
        for (const Value& v : a) {
            out += stringArg(v);
            if (out.size() > Limits::kMaxString) throw LispError("string too long");
        }
        return makeString(out);
    });
    in.defineFunction("STRLEN", [](Interpreter&, Args& a) {
        qint64 n = 0;
        for (const Value& v : a) n += stringArg(v).size();
        return makeInt(qint32(n));
    });
    in.defineFunction("SUBSTR", [](Interpreter&, Args& a) {
        needArgs(a, 2, 3);
        const QString& s = stringArg(a[0]);
        const qint32 start = intArg(a[1]);
        if (start < 1) badValue(a[1]);
        qint32 length = INT32_MAX;
        if (a.size() == 3) {
            length = intArg(a[2]);
            if (length < 0) badValue(a[2]);
        }
        if (start > s.size()) return makeString({});
        return makeString(s.mid(start - 1, length));
    });
    in.defineFunction("STRCASE", [](Interpreter&, Args& a) {
        needArgs(a, 1, 2);
        const QString& s = stringArg(a[0]);
        return makeString(a.size() == 2 && !a[1].isNil() ? s.toLower() : s.toUpper());
    });
    in.defineFunction("ITOA", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return makeString(QString::number(intArg(a[0])));
    });
    in.defineFunction("ATOI", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const QString digits = numberPrefix(stringArg(a[0]), false);
        bool ok = false;
        const qint64 v = digits.toLongLong(&ok);
        if (!ok) return makeInt(digits.isEmpty() ? 0 : (digits.startsWith('-') ? INT32_MIN : INT32_MAX));
        return makeInt(qint32(std::clamp<qint64>(v, INT32_MIN, INT32_MAX)));
    });
    in.defineFunction("ATOF", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const double v = numberPrefix(stringArg(a[0]), true).toDouble();
        if (!std::isfinite(v)) throw LispError("floating-point overflow");
        return makeReal(v);
    });
    in.defineFunction("CHR", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const qint32 code = intArg(a[0]);
        if (code < 0 || code > 0xFFFF) badValue(a[0]);
        return makeString(code ? QString(QChar(code)) : QString());
    });
    in.defineFunction("ASCII", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const QString& s = stringArg(a[0]);
        return makeInt(s.isEmpty() ? 0 : s[0].unicode());
    });
    in.defineFunction("VL-STRING-SEARCH", [](Interpreter&, Args& a) {
        needArgs(a, 2, 3);
        const QString& pattern = stringArg(a[0]);
        const QString& s = stringArg(a[1]);
        const qsizetype at = s.indexOf(pattern, startArg(a, 2));
        return at < 0 || at > s.size() ? Value{} : makeInt(qint32(at));
    });
    in.defineFunction("VL-STRING-SUBST", [](Interpreter&, Args& a) {
        needArgs(a, 3, 4);
        const QString& by = stringArg(a[0]);
        const QString& pattern = stringArg(a[1]);
        QString s = stringArg(a[2]);
        const qsizetype at = s.indexOf(pattern, startArg(a, 3));
        if (at >= 0) s.replace(at, pattern.size(), by);
        return checkedString(s);
    });
    in.defineFunction("VL-STRING-TRIM", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        const QString& set = stringArg(a[0]);
        QString s = stringArg(a[1]);
        while (!s.isEmpty() && set.contains(s.front())) s.remove(0, 1);
        while (!s.isEmpty() && set.contains(s.back())) s.chop(1);
        return makeString(s);
    });
    in.defineFunction("READ", [](Interpreter& in, Args& a) {
        needArgs(a, 0, 1);
        if (a.empty()) return Value{};
        Reader reader(in, stringArg(a[0]));
        return reader.next().value_or(Value{});
    });
}

}  // namespace lisp
