#pragma once
// A real reference CAD host on the session bus for end-to-end runs: started
// with its own ProgID and drawing, observed through its test interface, ended
// when the object goes. The object model itself is reached with connectCad.
#include <QJsonObject>
#include <QList>
#include <QPointF>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QVariant>

class CadHostProcess {
public:
    CadHostProcess() = default;
    ~CadHostProcess();
    CadHostProcess(const CadHostProcess&) = delete;
    CadHostProcess& operator=(const CadHostProcess&) = delete;

    // Starts MIRTEX_BIN_DIR/cadhost (or the given program) and waits until it
    // owns its bus name; false with a reason in error() otherwise.
    bool start(const QString& program, const QString& progId, const QString& dxfPath = {});
    void stop();
    QString error() const { return m_error; }
    QString busName() const { return m_busName; }
    // The host's process id, to kill it as a crash would (from any thread).
    qint64 processId() const { return m_process.processId(); }

    // The test interface.
    QList<QJsonObject> entities();
    void answerPicks(const QList<QPointF>& points);
    // The next count object-model calls fail: kind "reject" (refused) or "retry" (busy).
    void failNextCalls(int count, const QString& kind);
    bool openDrawing(const QString& path);
    QString commandLog();

private:
    QDBusMessage callTest(const QString& method, const QVariantList& args = {});

    QProcess m_process;
    QString m_busName, m_error;
};
