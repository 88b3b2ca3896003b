#include "output/TextDocument.h"

namespace {

QVariant pointOf(const Point3& p) { return point(p[0], p[1], p[2]); }

Point3 point3(const QVariant& value)
{
    const QList<double> p = toPoint(value);
    if (p.size() != 3)
        throw CadError(QString::fromLatin1(CadErrorName::BadReply), QStringLiteral("not a 3D point"));
    return {p[0], p[1], p[2]};
}

}  // namespace

void CadTextDocument::startUndoMark() { m_document.invoke(QStringLiteral("StartUndoMark")); }
void CadTextDocument::endUndoMark() { m_document.invoke(QStringLiteral("EndUndoMark")); }
void CadTextDocument::readModelSpace() { m_modelSpace = m_document.getObject(QStringLiteral("ModelSpace")); }

void CadTextDocument::addText(const QString& text, const Point3& at, double height)
{
    const QVariantList made = m_modelSpace.invoke(QStringLiteral("AddText"), {text, pointOf(at), height});
    m_text = m_modelSpace.object(made.value(0));
}

void CadTextDocument::putText(const QString& member, const QVariant& value) { m_text.put(member, value); }

TextBox CadTextDocument::textBoundingBox()
{
    const QVariantList corners = m_text.invoke(QStringLiteral("GetBoundingBox"));
    if (corners.size() != 2)
        throw CadError(QString::fromLatin1(CadErrorName::BadReply), QStringLiteral("GetBoundingBox: two points expected"));
    return {point3(corners[0]), point3(corners[1])};
}

void CadTextDocument::rotateText(const Point3& base, double radians)
{
    m_text.invoke(QStringLiteral("Rotate"), {pointOf(base), radians});
}

void CadTextDocument::regen() { m_document.invoke(QStringLiteral("Regen"), {0}); }
