#include "DxfText.h"
#include "output/CodePage.h"
#include <QRegularExpression>
#include <iconv.h>

namespace {

// Any code page iconv knows, for files in a page other than 932.
QString fromCodePage(const QByteArray& bytes, const QString& page)
{
    iconv_t cd = iconv_open("UTF-8", ("CP" + page).toLatin1().constData());
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* dst = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) == size_t(-1)) {
            if (outLeft < 3)
                break;
            // An undecodable byte becomes U+FFFD and decoding goes on.
            *dst++ = char(0xEF); *dst++ = char(0xBF); *dst++ = char(0xBD);
            outLeft -= 3;
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    out.truncate(dst - out.data());
    return QString::fromUtf8(out);
}

QString decodeEscapes(const QString& s)
{
    static const QRegularExpression escape(QStringLiteral(R"(\\U\+([0-9A-Fa-f]{4,5})|\\M\+1([0-9A-Fa-f]{4}))"));
    QString out;
    qsizetype last = 0;
    auto it = escape.globalMatch(s);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += s.mid(last, m.capturedStart() - last);
        if (m.capturedLength(1) > 0) {
            const char32_t cp = m.captured(1).toUInt(nullptr, 16);
            out += QString::fromUcs4(&cp, 1);
        } else {
            const uint code = m.captured(2).toUInt(nullptr, 16);
            out += fromCp932(QByteArray{char(code >> 8), char(code & 0xFF)});
        }
        last = m.capturedEnd();
    }
    out += s.mid(last);
    return out;
}

} // namespace

DxfEncoding dxfEncoding(const QString& acadVersion, const QString& dwgCodePage)
{
    DxfEncoding e;
    const QString version = acadVersion.trimmed().toUpper();
    if (version.startsWith(QLatin1String("AC")) && version.mid(2).toInt() >= 1021) {
        e.utf8 = true;
        return e;
    }
    const QString page = dwgCodePage.trimmed().toUpper();
    static const QRegularExpression ansi(QStringLiteral(R"(^(?:ANSI_|DOS)(\d+)$)"));
    const auto m = ansi.match(page);
    if (m.hasMatch())
        e.codePage = m.captured(1);
    return e;
}

QString decodeDxfString(const QByteArray& bytes, const DxfEncoding& encoding)
{
    QString s;
    if (encoding.utf8)
        s = QString::fromUtf8(bytes);
    else if (encoding.codePage == QLatin1String("932"))
        s = fromCp932(bytes);
    else
        s = fromCodePage(bytes, encoding.codePage);
    return decodeEscapes(s);
}

QByteArray encodeDxfStringCp932(const QString& text)
{
    QByteArray out;
    const QList<uint> codePoints = text.toUcs4();
    for (const uint cp : codePoints) {
        const char32_t c = cp;
        const QString one = QString::fromUcs4(&c, 1);
        const QByteArray bytes = cp < 0x20 || cp == 0x7F ? QByteArray("?") : toCp932(one);
        if (bytes == "?" && cp != '?')
            out += QString::asprintf("\\U+%04X", cp).toLatin1();
        else
            out += bytes;
    }
    return out;
}
