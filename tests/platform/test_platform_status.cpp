// Busy cursor, status messages, yielding waits and bank arithmetic.
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <string>
#include <vector>

using namespace platform;
using platform::testing::RecordedStatus;
using platform::testing::ScriptedServices;

namespace {

TEST(StatusMessage, ModeZeroShowsHoldsAndClears)
{
    ScriptedServices s;
    const std::int64_t t0 = s.nowMs();
    ShowStatusMessage("Saving", 1000, 0);
    const auto& h = s.statusHistory();
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0].panel, 1);
    EXPECT_EQ(h[0].text, "Saving");
    EXPECT_EQ(h[0].atMs, t0);
    EXPECT_EQ(h[1].text, "");
    EXPECT_EQ(h[1].atMs, t0 + 1000);
    EXPECT_EQ(s.statusText(1), "");
    EXPECT_EQ(s.refreshCount(), 0);
}

TEST(StatusMessage, ModeOneLeavesTheTextStanding)
{
    ScriptedServices s;
    ShowStatusMessage("Please wait - reading", 0, 1);
    EXPECT_EQ(s.statusText(1), "Please wait - reading");
    // With an empty text mode 1 clears at once.
    ShowStatusMessage("", 0, 1);
    EXPECT_EQ(s.statusText(1), "");
    EXPECT_EQ(s.statusHistory().size(), 2u);
}

TEST(StatusMessage, ModeTwoOnlyWaitsAndClears)
{
    ScriptedServices s;
    ShowStatusMessage("Standing text", 0, 1);
    s.clear();
    const std::int64_t t0 = s.nowMs();

    ShowStatusMessage("", 0, 2);  // does nothing at all
    EXPECT_TRUE(s.statusHistory().empty());
    EXPECT_EQ(s.nowMs(), t0);
    EXPECT_EQ(s.statusText(1), "Standing text");

    ShowStatusMessage("ignored", 500, 2);
    ASSERT_EQ(s.statusHistory().size(), 1u);
    EXPECT_EQ(s.statusHistory()[0].text, "");
    EXPECT_EQ(s.statusHistory()[0].atMs, t0 + 500);
}

TEST(StatusMessage, OtherModesOnlyWait)
{
    ScriptedServices s;
    const std::int64_t t0 = s.nowMs();
    ShowStatusMessage("text", 250, 3);
    EXPECT_TRUE(s.statusHistory().empty());
    EXPECT_EQ(s.nowMs(), t0 + 250);
}

TEST(StatusMessage, RedrawAndPanel)
{
    ScriptedServices s;
    ShowStatusMessage("00:01", 0, 1, true, 2);
    EXPECT_EQ(s.statusText(2), "00:01");
    EXPECT_EQ(s.statusText(1), "");
    EXPECT_EQ(s.refreshCount(), 1);
}

TEST(BusyCursor, FollowsTheFlag)
{
    ScriptedServices s;
    SetBusyCursor(true);
    EXPECT_TRUE(s.busy());
    SetBusyCursor(false);
    EXPECT_FALSE(s.busy());
    EXPECT_EQ(s.busyChanges(), 2);
}

// An event loop that records how long each call may block.
class RecordingLoop final : public EventLoop {
public:
    std::int64_t nowMs() override { return m_now; }
    void processEvents(int maxWaitMs) override
    {
        m_waits.push_back(maxWaitMs);
        m_now += m_step < maxWaitMs ? m_step : maxWaitMs;
    }
    std::int64_t m_now = 5'000;
    int m_step = 10;
    std::vector<int> m_waits;
};

TEST(PauseWithEvents, BlocksInShortSlicesUntilTheTimeHasPassed)
{
    RecordingLoop loop;
    installEventLoop(&loop);
    PauseWithEvents(95);
    installEventLoop(nullptr);
    EXPECT_EQ(loop.m_now, 5'095);
    ASSERT_FALSE(loop.m_waits.empty());
    for (const int w : loop.m_waits) {
        EXPECT_GT(w, 0);  // every round blocks: no busy spinning
        EXPECT_LE(w, 10);
    }
    EXPECT_EQ(loop.m_waits.back(), 5);  // the last slice is only what remains
}

TEST(PauseWithEvents, ReturnsAtOnceForZeroOrNegativeTimes)
{
    RecordingLoop loop;
    installEventLoop(&loop);
    PauseWithEvents(0);
    PauseWithEvents(-20);
    PauseWithEvents(std::numeric_limits<std::int32_t>::min());
    installEventLoop(nullptr);
    EXPECT_TRUE(loop.m_waits.empty());
    EXPECT_EQ(loop.m_now, 5'000);
}

TEST(PauseWithEvents, HandlersRunInsideTheWait)
{
    ScriptedServices s;
    const std::int64_t t0 = s.nowMs();
    std::vector<std::int64_t> seen;
    s.onProcessEvents([&](std::int64_t now) {
        if (now == t0 + 100)
            s.setStatusText(1, "MIDI data arrived");
        seen.push_back(now);
    });
    PauseWithEvents(250);
    EXPECT_EQ(s.nowMs(), t0 + 250);
    EXPECT_EQ(s.statusText(1), "MIDI data arrived");
    EXPECT_FALSE(seen.empty());
}

// Timed calls run at their time from whatever waits then, once each, and a call taken
// back never runs, on the virtual clock and on the headless one alike.
TEST(TimedCalls, RunOnceAtTheirTimeFromAnyWaitAndNeverOnceTakenBack)
{
    for (const bool scripted : {true, false}) {
        SCOPED_TRACE(scripted ? "virtual clock" : "headless clock");
        std::optional<ScriptedServices> s;
        if (scripted)
            s.emplace();
        EventLoop& loop = eventLoop();
        const std::int64_t t0 = loop.nowMs();
        std::vector<std::pair<char, std::int64_t>> ran;
        const auto note = [&](char c) { return [&ran, &loop, c] { ran.emplace_back(c, loop.nowMs()); }; };
        TimedCall later;
        TimedCall sooner;
        TimedCall takenBack;
        later.start(60, note('L'));
        sooner.start(20, note('S'));
        takenBack.start(10, note('X'));
        takenBack.stop();
        EXPECT_TRUE(later.isActive());
        EXPECT_FALSE(takenBack.isActive());
        {
            // Destroyed before its time: it never runs.
            TimedCall gone;
            gone.start(5, note('G'));
        }
        // A call that starts itself again, and another that starts on time 0.
        int again = 0;
        TimedCall repeat;
        std::function<void()> tick = [&] {
            if (++again < 3)
                repeat.start(15, tick);
        };
        repeat.start(15, tick);
        TimedCall now;
        now.start(0, note('N'));
        EXPECT_TRUE(ran.empty()) << "a call never runs from inside callAfter";
        PauseWithEvents(100);
        ASSERT_EQ(ran.size(), 3u);
        EXPECT_EQ(ran[0].first, 'N');
        EXPECT_EQ(ran[1].first, 'S');
        EXPECT_GE(ran[1].second, t0 + 20);
        EXPECT_EQ(ran[2].first, 'L');
        EXPECT_GE(ran[2].second, t0 + 60);
        EXPECT_EQ(again, 3);
        EXPECT_FALSE(later.isActive());
        PauseWithEvents(30);
        EXPECT_EQ(ran.size(), 3u);
    }
}

// A call scheduled on a loop that is replaced before its time is taken back with its
// owner, and never reaches into the loop installed since.
TEST(TimedCalls, ACallOfALoopNoLongerInstalledNeverRuns)
{
    int ran = 0;
    TimedCall call;
    {
        ScriptedServices first;
        call.start(10, [&] { ++ran; });
    }
    ScriptedServices second;
    call.stop();
    PauseWithEvents(50);
    EXPECT_EQ(ran, 0);
    call.start(10, [&] { ++ran; });
    PauseWithEvents(50);
    EXPECT_EQ(ran, 1);
}

TEST(PauseWithEvents, AClockJumpEndsTheWait)
{
    ScriptedServices s;
    const std::int64_t t0 = s.nowMs();
    int rounds = 0;
    s.onProcessEvents([&](std::int64_t) {
        ++rounds;
        s.advance(60'000);  // a handler that itself took a minute
    });
    PauseWithEvents(2000);
    EXPECT_EQ(rounds, 1);
    EXPECT_GE(s.nowMs(), t0 + 2000);
}

TEST(BankArithmetic, BankCountForPatches)
{
    struct Case {
        std::int32_t n;
        std::int32_t banks;
    };
    const Case cases[] = {{1, 1},   {31, 1},  {32, 1},  {33, 2},  {64, 2},
                          {65, 3},  {4096, 128}, {4097, 129},
                          {std::numeric_limits<std::int32_t>::max(), 67108864}};
    for (const Case& c : cases) {
        std::int32_t n = c.n;
        EXPECT_EQ(BankCountForPatches(n), c.banks) << c.n;
        EXPECT_EQ(n, c.n);
    }
    std::int32_t zero = 0;
    EXPECT_EQ(BankCountForPatches(zero), 1);
    EXPECT_EQ(zero, 1);  // the caller's variable is changed too
    EXPECT_EQ(BankCountForPatches(0), 1);
    EXPECT_EQ(BankCountForPatches(31 + 2), 2);
}

TEST(BankArithmetic, PatchNumberInBank)
{
    struct Case {
        std::int32_t n;
        std::int32_t pos;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {31, 31}, {32, 32}, {33, 1},
                          {64, 32}, {96, 32}, {97, 1}, {4096, 32}};
    for (const Case& c : cases)
        EXPECT_EQ(PatchNumberInBank(c.n), c.pos) << c.n;
}

TEST(SmallHelpers, TrimAtNullAndWordHalves)
{
    EXPECT_EQ(TrimAtNull(std::string("MIDI Out\0\0\0", 11)), "MIDI Out");
    EXPECT_EQ(TrimAtNull("no zero"), "no zero");
    EXPECT_EQ(TrimAtNull(std::string("\0x", 2)), "");
    EXPECT_EQ(LoWord(-1), 65535);
    EXPECT_EQ(HiWord(-1), 65535);
    EXPECT_EQ(LoWord(0x12345678), 0x5678);
    EXPECT_EQ(HiWord(0x12345678), 0x1234);
    EXPECT_EQ(HiWord(std::numeric_limits<std::int32_t>::min()), 32768);
}

}  // namespace
