#pragma once
// The system variables the host serves. The view variables follow the view;
// the others are kept as set.
#include "ViewTransform.h"
#include <QString>
#include <QVariant>

class SystemVariables {
public:
    enum class SetResult { Done, Unknown, ReadOnly, OutOfRange };

    // Names ignore case. VIEWSIZE double, VIEWCTR QList<double>{x, y, 0},
    // SCREENSIZE QList<double>{w, h}, the rest int; invalid when unknown.
    QVariant value(const QString& name, const ViewTransform& view) const;
    SetResult set(const QString& name, qlonglong value);
    static bool isReadOnly(const QString& name);

    int osmode() const { return m_osmode; }
    int filedia() const { return m_filedia; }
    int cmdecho() const { return m_cmdecho; }

private:
    int m_osmode = 4133; // endpoint, centre, intersection, extension
    int m_filedia = 1;
    int m_cmdecho = 1;
};
