#include "output/TextFile.h"

#include "output/CodePage.h"

#include <QSaveFile>
#include <stdexcept>

void writeTextLines(const QString& path, const QStringList& lines, TextEncoding enc) {
    QByteArray bytes;
    if (enc == TextEncoding::Utf8Bom) bytes.append("\xEF\xBB\xBF");
    for (const QString& line : lines) {
        bytes.append(enc == TextEncoding::Cp932 ? toCp932(line) : line.toUtf8());
        bytes.append("\r\n");
    }
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw std::runtime_error((path + QStringLiteral(" に書き込めません: ") + reason).toStdString());
    }
}
