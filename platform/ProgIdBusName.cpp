#include "ProgIdBusName.h"
#include <QStringList>

namespace {

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_';
}

QString busElement(const QString& element)
{
    QString out;
    out.reserve(element.size() + 1);
    for (qsizetype i = 0; i < element.size(); ++i) {
        const QChar c = element.at(i);
        out += isNameChar(c) ? c : QChar(u'_');
        // A character outside the BMP is one character, not two.
        if (c.isHighSurrogate() && i + 1 < element.size() && element.at(i + 1).isLowSurrogate())
            ++i;
    }
    if (out.isEmpty() || out.front().isDigit())
        out.prepend(u'_');
    return out;
}

} // namespace

QString progIdToBusName(const QString& progId)
{
    QStringList elements;
    for (const QString& element : progId.split(u'.'))
        elements << busElement(element);
    return QStringLiteral("org.mirtex.cad.") + elements.join(u'.');
}
