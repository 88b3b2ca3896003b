// Any bytes as the settings file: reading never fails, and writing the values
// read back gives the same values on the next read and the same bytes when
// written once more (a settings file does not drift from run to run), as long
// as the file keeps its encoding.
#include "app/IniFile.h"
#include "app/Settings.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const SettingsContext kContext{QSize(1920, 1080), QSize(612, 464), "BricscadApp.AcadApplication", "?"};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool same(const SettingsValues& a, const SettingsValues& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height &&
           a.ProgID == b.ProgID && a.Name == b.Name && a.Center == b.Center && a.Arrow == b.Arrow &&
           a.DegStep == b.DegStep && a.XYStep == b.XYStep && a.LineAci == b.LineAci &&
           a.TextAci == b.TextAci && a.AttnAci == b.AttnAci && a.ZcadSleep == b.ZcadSleep &&
           a.AcadSleep == b.AcadSleep && a.HScale == b.HScale && a.AutoDraw == b.AutoDraw &&
           a.AutoDxf == b.AutoDxf && a.Man2 == b.Man2 && a.Man == b.Man && a.UseLISP == b.UseLISP &&
           a.Attn == b.Attn;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = QDir::temp().filePath(QStringLiteral("fuzz_settings.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const IniFile original(path);
    const SettingsValues first = readSettings(original, kContext);
    {
        IniFile ini(path);
        writeSettings(ini, first);
        if (!ini.save()) std::abort();
    }
    const QByteArray written = contents(path);
    // The encoding is told from the contents: when the one line that was not
    // UTF-8 is rewritten, the untouched lines are read as UTF-8 from then on.
    if (IniFile(path).encoding() != original.encoding()) return 0;
    const SettingsValues second = readSettings(IniFile(path), kContext);
    if (!same(first, second)) std::abort();
    {
        IniFile ini(path);
        writeSettings(ini, second);
        if (!ini.save()) std::abort();
    }
    if (contents(path) != written) std::abort();
    return 0;
}
