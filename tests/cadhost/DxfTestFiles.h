#pragma once
// DXF files for the host's tests, written as a CAD and the table's DXF road
// write them: group code right-aligned in three, CR LF after every line, code
// page 932.
#include "output/CodePage.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <initializer_list>
#include <utility>

inline QByteArray groups(std::initializer_list<std::pair<int, QByteArray>> items)
{
    QByteArray out;
    for (const auto& [code, value] : items) out += QByteArray::number(code).rightJustified(3, ' ') + "\r\n" + value + "\r\n";
    return out;
}

inline QByteArray fixed12(double v) { return QByteArray::number(v, 'f', 12); }

// A middle-left TEXT as the table's DXF road writes it.
inline QByteArray textEntity(const QString& text, QPointF first, QPointF second, double height, double degrees,
                             double width, int color, const QByteArray& layer = "MIRTEX")
{
    return groups({{0, "TEXT"}, {8, layer}, {6, "BYLAYER"}, {62, QByteArray::number(color)}, {48, "1.0"},
                   {10, fixed12(first.x())}, {20, fixed12(first.y())}, {40, fixed12(height)}, {1, toCp932(text)},
                   {50, fixed12(degrees)}, {41, fixed12(width)}, {7, "Standard"}, {72, "0"}, {73, "2"},
                   {11, fixed12(second.x())}, {21, fixed12(second.y())}});
}

inline QByteArray styleTable(const QByteArray& name, const QByteArray& font)
{
    return groups({{0, "TABLE"}, {2, "STYLE"}, {70, "     1"}, {0, "STYLE"}, {2, name}, {70, "     0"}, {40, "0.0"},
                   {41, "1.0"}, {50, "0.0"}, {71, "     0"}, {42, "2.5"}, {3, font}, {4, "bigfont.shx"}, {0, "ENDTAB"}});
}

// An R12 file in code page 932: header, the given tables, the entities.
inline QByteArray dxfFile(const QByteArray& tables, const QByteArray& entities)
{
    return groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {0, "ENDSEC"}, {0, "SECTION"},
                   {2, "TABLES"}})
           + tables + groups({{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}}) + entities
           + groups({{0, "ENDSEC"}, {0, "EOF"}});
}

// The sample MIRTEX writes: two rows, the second in the attention colour.
inline QByteArray tableFile()
{
    return dxfFile(styleTable("Standard", "txt.shx"),
                   textEntity("平面図 S=1/100", {10, 19}, {10, 20}, 2, 0, 0.8, 256)
                       + textEntity("居間?", {1011, 500}, {1010, 500}, 2, 90, 1.0, 1));
}


// A file of one entity section holding the given groups.
inline QByteArray entitiesFile(const QByteArray& entities)
{
    return groups({{0, "SECTION"}, {2, "ENTITIES"}}) + entities + groups({{0, "ENDSEC"}, {0, "EOF"}});
}

// Hostile drawings that once crashed or froze the host; each opens within a
// second or is refused with a message.
struct HostileFile {
    const char* what;
    QByteArray bytes;
    bool readable;  // opens (with its sizes cut) rather than being refused
};

inline QList<HostileFile> hostileFiles()
{
    const QByteArray line = groups({{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}});
    QByteArray garbage(65536, '\0');
    quint32 seed = 12345;
    for (char& c : garbage) c = char((seed = seed * 1103515245u + 12345u) >> 24);
    return {
        {"LWPOLYLINE announcing 2,000,000,000 vertices",
         entitiesFile(groups({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2000000000"}, {70, "0"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}})),
         true},
        {"TEXT of 200,000 characters",
         entitiesFile(groups({{0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "2.5"}, {1, QByteArray(200000, 'A')}})), true},
        {"layer name of 100,000 characters",
         entitiesFile(groups({{0, "LINE"}, {8, QByteArray(100000, 'L')}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}})), true},
        {"TEXT without group 1", entitiesFile(groups({{0, "TEXT"}, {8, "0"}, {10, "5"}, {20, "5"}, {40, "2.5"}})), true},
        {"truncated", entitiesFile(line + line).left(60), false},
        {"binary garbage", garbage, false},
        {"arc sweeping 1e300 degrees",
         entitiesFile(groups({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "-1e300"}})), true},
        {"coordinate beyond a double", entitiesFile(groups({{0, "LINE"}, {8, "0"}, {10, "1e999"}, {20, "0"}})), false},
    };
}
