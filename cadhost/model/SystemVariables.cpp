#include "SystemVariables.h"
#include <QList>

QVariant SystemVariables::value(const QString& name, const ViewTransform& view) const
{
    const QString n = name.trimmed().toUpper();
    if (n == QLatin1String("VIEWSIZE"))
        return view.viewSize();
    if (n == QLatin1String("VIEWCTR"))
        return QVariant::fromValue(QList<double>{view.center().x(), view.center().y(), 0.0});
    if (n == QLatin1String("SCREENSIZE"))
        return QVariant::fromValue(QList<double>{double(view.screenSize().width()), double(view.screenSize().height())});
    if (n == QLatin1String("OSMODE"))
        return m_osmode;
    if (n == QLatin1String("FILEDIA"))
        return m_filedia;
    if (n == QLatin1String("CMDECHO"))
        return m_cmdecho;
    return {};
}

bool SystemVariables::isReadOnly(const QString& name)
{
    const QString n = name.trimmed().toUpper();
    return n == QLatin1String("VIEWSIZE") || n == QLatin1String("VIEWCTR") || n == QLatin1String("SCREENSIZE");
}

SystemVariables::SetResult SystemVariables::set(const QString& name, qlonglong value)
{
    const QString n = name.trimmed().toUpper();
    if (isReadOnly(n))
        return SetResult::ReadOnly;
    if (n == QLatin1String("OSMODE")) {
        if (value < 0 || value > 32767)
            return SetResult::OutOfRange;
        m_osmode = int(value);
        return SetResult::Done;
    }
    int* flag = n == QLatin1String("FILEDIA") ? &m_filedia : n == QLatin1String("CMDECHO") ? &m_cmdecho : nullptr;
    if (!flag)
        return SetResult::Unknown;
    if (value != 0 && value != 1)
        return SetResult::OutOfRange;
    *flag = int(value);
    return SetResult::Done;
}
