#include "CadError.h"

CadError::CadError(const QString& name, const QString& message)
    : std::runtime_error((name + QStringLiteral(": ") + message).toStdString()), m_name(name)
{
}
