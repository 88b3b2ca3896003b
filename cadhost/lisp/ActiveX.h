#pragma once
// The Visual LISP ActiveX functions (vla-get-..., vla-put-..., vla-<method>,
// vlax-...) over the host's automation objects: each call goes to the same
// object model the bus serves, by object path and member name.
#include "cadhost/lisp/Interpreter.h"

#include <QVariant>

namespace lisp {

struct ObjectReply {
    QString error;  // empty: the call succeeded
    QVariantList values;  // Get: the value; Invoke: the results; Put: none
};
// kind is "Get", "Put" or "Invoke"; points travel as QList<double>, objects as
// QDBusObjectPath, integers as int, reals as double, strings as QString.
using ObjectCall = std::function<ObjectReply(const QString& path, const QString& kind, const QString& member,
                                             const QVariantList& args)>;

// The functions call through `objects`, which must outlive the interpreter's use of them.
void addActiveXFunctions(Interpreter& in, const ObjectCall& objects);

}  // namespace lisp
