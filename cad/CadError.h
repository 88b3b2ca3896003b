#pragma once
#include <QString>
#include <stdexcept>

// Error names of the automation protocol, and the ones the client adds.
namespace CadErrorName {
inline constexpr char RetryLater[] = "org.mirtex.Automation.Error.RetryLater";
inline constexpr char Rejected[] = "org.mirtex.Automation.Error.Rejected";
inline constexpr char Cancelled[] = "org.mirtex.Automation.Error.Cancelled";
inline constexpr char Failed[] = "org.mirtex.Automation.Error.Failed";
// The call was given up after a rejection (the message filter said so).
inline constexpr char CallRejected[] = "org.mirtex.Automation.Error.CallRejected";
// A reply whose value is not of the kind the client asked for.
inline constexpr char BadReply[] = "org.mirtex.Automation.Error.BadReply";
} // namespace CadErrorName

// A failed automation call: the D-Bus error name and its message.
class CadError : public std::runtime_error {
public:
    CadError(const QString& name, const QString& message);
    const QString& name() const { return m_name; }

private:
    QString m_name;
};
