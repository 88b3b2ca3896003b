#include "imaging/EraseImageCommand.h"

#include "imaging/EraseImage.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStringList>

namespace {
const QString kNotFound = QStringLiteral("ファイルが見つかりません。");

void openOrSayMissing(IEraseImageWindow& window, const QString& path) {
    if (QFileInfo::exists(path)) window.openFile(path);
    else window.message(path + u'\n' + kNotFound);
}

// The lines of a UTF-8 text file (byte-order mark dropped), split at CR LF, LF or CR.
QStringList readUtf8Lines(QFile& file) {
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the ending of the last line
    return lines;
}

// Steps over the lines of "result.txt"; false when the file is missing.
bool eraseTexts(IEraseImageWindow& window, const QString& resultPath, QImage& image,
                const QColor& fillColour, bool lineMode, const QColor& lineColour) {
    QFile file(resultPath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QStringList lines = readUtf8Lines(file);
    file.close();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lineMode) {
            window.setCropSizeText(QStringLiteral("塗りつぶし中... %1/%2").arg(i + 1).arg(lines.size()));
            window.processMessages();
        }
        // A tail with four "(" that does not hold eight fields is skipped like a
        // line without corners; no corners of an earlier line are reused.
        const std::optional<Quad> quad = parseCornerTail(lines[i]);
        if (!quad) continue;
        if (lineMode) strikeThrough(image, *quad, lineColour);
        else fillQuad(image, *quad, fillColour);
    }
    return true;
}
}

void openSourceImage(IEraseImageWindow& window, const QString& folder) {
    openOrSayMissing(window, folder + QStringLiteral("source.png"));
}

bool makeEraseImage(IEraseImageWindow& window, const QString& folder, const QColor& fillColour,
                    bool lineMode, const QString& suffix, const QColor& lineColour) {
    const QString savedProgress = window.cropSizeText();
    const QString sourcePath = folder + QStringLiteral("source.png");
    const QString outputPath = folder + QStringLiteral("result") + suffix + QStringLiteral(".png");
    bool written = false;
    QImage source;
    if (!QFileInfo::exists(sourcePath)) {
        window.message(sourcePath + u'\n' + kNotFound);
    } else if (!source.load(sourcePath)) {
        window.message(sourcePath + u'\n' + QStringLiteral("画像を読み込めません。"));
    } else {
        QImage image = source.convertToFormat(QImage::Format_RGB888);
        source = QImage();
        const QString resultPath = folder + QStringLiteral("result.txt");
        bool openIt = true;
        if (!eraseTexts(window, resultPath, image, fillColour, lineMode, lineColour)) {
            window.message(resultPath + u'\n' + QStringLiteral("が、見つかりません｡ "));
        } else {
            written = (lineMode ? image : limitFilledImage(image)).save(outputPath, "PNG");
            // An image that could not be saved is not replaced by an older one.
            if (!written) window.message(outputPath + u'\n' + QStringLiteral("ファイルを保存できません。"));
            openIt = written;
        }
        if (openIt) openOrSayMissing(window, outputPath);
    }
    window.setCropSizeText(savedProgress);
    return written;
}
