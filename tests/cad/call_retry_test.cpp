#include "cad/CallRetry.h"
#include "cad/CadError.h"
#include "cad/MessageFilter.h"
#include <QDBusMessage>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <vector>

namespace {

const QDBusMessage kRequest = QDBusMessage::createMethodCall("org.mirtex.cad.X", "/Application",
                                                             "org.mirtex.Automation", "Get");

QDBusMessage errorReply(const char* name)
{
    return kRequest.createErrorReply(QString::fromLatin1(name), QStringLiteral("from the test"));
}

QDBusMessage okReply()
{
    return kRequest.createReply(QVariantList{42});
}

// Records what the policy asks and answers with a fixed delay per reject type.
class RecordingFilter : public IMessageFilter {
public:
    RecordingFilter(qint32 laterDelay, qint32 rejectedDelay) : m_later(laterDelay), m_rejected(rejectedDelay) {}
    quint32 HandleInComingCall(quint32, quintptr, quint32, const void*) override { return 0; }
    qint32 RetryRejectedCall(quintptr, quint32 tick, quint32 type) override
    {
        ticks.push_back(tick);
        types.push_back(type);
        return type == SERVERCALL_RETRYLATER ? m_later : m_rejected;
    }
    quint32 MessagePending(quintptr, quint32, quint32) override { return 1; }

    std::vector<quint32> ticks, types;

private:
    qint32 m_later, m_rejected;
};

// Hands out the scripted replies in order and counts the attempts.
struct ScriptedCallee {
    std::vector<QDBusMessage> replies;
    int attempts = 0;
    QDBusMessage operator()() { return replies.at(std::size_t(attempts++)); }
};

class CallRetryTest : public ::testing::Test {
protected:
    void TearDown() override { registerMessageFilter(nullptr); }
};

TEST_F(CallRetryTest, RetriesWhileTheFilterAsksAndTicksCountFromTheFirstAttempt)
{
    const auto filter = std::make_shared<RecordingFilter>(30, -1);
    registerMessageFilter(filter);
    ScriptedCallee callee{{errorReply(CadErrorName::RetryLater), errorReply(CadErrorName::RetryLater),
                           errorReply(CadErrorName::RetryLater), okReply()}};
    QElapsedTimer clock;
    clock.start();
    const QDBusMessage reply = callWithRetryPolicy(std::ref(callee));
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(reply.arguments().value(0).toInt(), 42);
    EXPECT_EQ(callee.attempts, 4);
    ASSERT_EQ(filter->types.size(), 3u);
    for (quint32 t : filter->types)
        EXPECT_EQ(t, SERVERCALL_RETRYLATER);
    // Each retry waited 30 ms, so the elapsed time grows by at least that much.
    EXPECT_LT(filter->ticks[0], 30u);
    EXPECT_GE(filter->ticks[1], 30u);
    EXPECT_GE(filter->ticks[2], 60u);
}

struct GiveUpCase {
    const char* name;
    const char* errorName;
    bool withFilter;
    quint32 askedType; // 0: the filter is not asked
};

TEST_F(CallRetryTest, GivesUpAtOnceWithCallRejected)
{
    const GiveUpCase cases[] = {
        {"rejected outright", CadErrorName::Rejected, true, SERVERCALL_REJECTED},
        {"retry later without a filter", CadErrorName::RetryLater, false, 0},
        {"rejected without a filter", CadErrorName::Rejected, false, 0},
    };
    for (const GiveUpCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto filter = std::make_shared<TMessageFilter>();
        registerMessageFilter(c.withFilter ? filter : nullptr);
        ScriptedCallee callee{{errorReply(c.errorName), okReply()}};
        QElapsedTimer clock;
        clock.start();
        try {
            callWithRetryPolicy(std::ref(callee));
            ADD_FAILURE() << "no error";
        } catch (const CadError& e) {
            EXPECT_EQ(e.name(), QString::fromLatin1(CadErrorName::CallRejected));
            EXPECT_NE(std::string(e.what()).find("call rejected"), std::string::npos) << e.what();
        }
        EXPECT_EQ(callee.attempts, 1);
        EXPECT_LT(clock.elapsed(), 200);
    }
}

TEST_F(CallRetryTest, AFilterThatGivesUpOnRetryLaterEndsTheCall)
{
    const auto filter = std::make_shared<RecordingFilter>(-1, -1);
    registerMessageFilter(filter);
    ScriptedCallee callee{{errorReply(CadErrorName::RetryLater), okReply()}};
    EXPECT_THROW(callWithRetryPolicy(std::ref(callee)), CadError);
    EXPECT_EQ(callee.attempts, 1);
    EXPECT_EQ(filter->types, std::vector<quint32>{SERVERCALL_RETRYLATER});
}

TEST_F(CallRetryTest, OtherRepliesPassThroughWithoutAskingTheFilter)
{
    const auto filter = std::make_shared<RecordingFilter>(0, 0);
    registerMessageFilter(filter);
    const QDBusMessage replies[] = {okReply(), errorReply(CadErrorName::Cancelled),
                                    errorReply("org.freedesktop.DBus.Error.NoReply"),
                                    errorReply("org.mirtex.Automation.Error.BadArgument")};
    for (const QDBusMessage& scripted : replies) {
        ScriptedCallee callee{{scripted}};
        const QDBusMessage reply = callWithRetryPolicy(std::ref(callee));
        EXPECT_EQ(reply.type(), scripted.type());
        EXPECT_EQ(reply.errorName(), scripted.errorName());
        EXPECT_EQ(callee.attempts, 1);
    }
    EXPECT_TRUE(filter->types.empty());
}

TEST_F(CallRetryTest, TheStandardFilterWaitsASecondBetweenAttempts)
{
    const auto filter = std::make_shared<TMessageFilter>();
    filter->RegisterFilter();
    ScriptedCallee callee{{errorReply(CadErrorName::RetryLater), okReply()}};
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(callWithRetryPolicy(std::ref(callee)).type(), QDBusMessage::ReplyMessage);
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(callee.attempts, 2);
    filter->RevokeFilter();
}

} // namespace
