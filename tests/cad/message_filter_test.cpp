#include "cad/MessageFilter.h"
#include <gtest/gtest.h>

namespace {

class MessageFilterTest : public ::testing::Test {
protected:
    void SetUp() override { registerMessageFilter(nullptr); }
    void TearDown() override { registerMessageFilter(nullptr); }
};

struct RetryCase {
    quint32 rejectType;
    quint32 tickCount;
    qint32 expected;
};

TEST_F(MessageFilterTest, RetriesOnlyCallsRejectedForLaterEverySecondWithoutLimit)
{
    const RetryCase cases[] = {
        {SERVERCALL_RETRYLATER, 0, 1000},       {SERVERCALL_RETRYLATER, 1000, 1000},
        {SERVERCALL_RETRYLATER, 3600000, 1000}, {SERVERCALL_REJECTED, 0, -1},
        {SERVERCALL_ISHANDLED, 0, -1},          {3, 500, -1},
        {0xffffffffu, 0, -1},
    };
    const auto filter = std::make_shared<TMessageFilter>();
    for (const RetryCase& c : cases)
        EXPECT_EQ(filter->RetryRejectedCall(0, c.tickCount, c.rejectType), c.expected)
            << "type " << c.rejectType << " after " << c.tickCount << " ms";
}

TEST_F(MessageFilterTest, AcceptsIncomingCallsAndHoldsBackMessages)
{
    const auto filter = std::make_shared<TMessageFilter>();
    for (quint32 callType : {1u, 2u, 3u, 4u}) {
        EXPECT_EQ(filter->HandleInComingCall(callType, 42, 10, nullptr), SERVERCALL_ISHANDLED);
        EXPECT_EQ(filter->MessagePending(42, 10, callType), PENDINGMSG_WAITNOPROCESS);
    }
    EXPECT_EQ(SERVERCALL_ISHANDLED, 0u);
    EXPECT_EQ(PENDINGMSG_WAITNOPROCESS, 1u);
}

TEST_F(MessageFilterTest, RevokeWithNoEarlierFilterLeavesNone)
{
    const auto filter = std::make_shared<TMessageFilter>();
    filter->RegisterFilter();
    EXPECT_EQ(registeredMessageFilter(), filter);
    EXPECT_EQ(filter->FoldFilter, nullptr);
    filter->RevokeFilter();
    EXPECT_EQ(registeredMessageFilter(), nullptr);
    // The registration held no other reference once revoked.
    EXPECT_EQ(filter.use_count(), 1);
}

TEST_F(MessageFilterTest, RegistrationsChainAndRevokeInReverseOrder)
{
    const auto first = std::make_shared<TMessageFilter>();
    const auto second = std::make_shared<TMessageFilter>();
    first->RegisterFilter();
    second->RegisterFilter();
    EXPECT_EQ(registeredMessageFilter(), second);
    EXPECT_EQ(second->FoldFilter, first);
    EXPECT_EQ(first->FoldFilter, nullptr);

    second->RevokeFilter();
    EXPECT_EQ(registeredMessageFilter(), first);
    first->RevokeFilter();
    EXPECT_EQ(registeredMessageFilter(), nullptr);
}

TEST_F(MessageFilterTest, RegisterForgetsAnEarlierPredecessor)
{
    const auto other = std::make_shared<TMessageFilter>();
    const auto filter = std::make_shared<TMessageFilter>();
    filter->FoldFilter = other; // stale from an earlier registration
    filter->RegisterFilter();
    EXPECT_EQ(filter->FoldFilter, nullptr);
    filter->RevokeFilter();
    EXPECT_EQ(registeredMessageFilter(), nullptr);
}

TEST_F(MessageFilterTest, RegisterHandsBackThePreviousFilter)
{
    const auto a = std::make_shared<TMessageFilter>();
    const auto b = std::make_shared<TMessageFilter>();
    EXPECT_EQ(registerMessageFilter(a), nullptr);
    EXPECT_EQ(registerMessageFilter(b), a);
    EXPECT_EQ(registerMessageFilter(nullptr), b);
    EXPECT_EQ(registeredMessageFilter(), nullptr);
}

} // namespace
