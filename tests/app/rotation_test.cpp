#include "app/rotation.h"

#include <gtest/gtest.h>

#include "settings/image_list.h"
#include "settings/settings_model.h"

namespace {

class FakeTimer : public RotationTimer {
public:
    void Arm(std::uint32_t periodMs) override {
        armed = true;
        period = periodMs;
    }
    void Stop() override { armed = false; }
    bool armed = false;
    std::uint32_t period = 0;
};

AppSettings WithPictures(int count, bool random) {
    AppSettings s;
    for (int i = 0; i < count; ++i) AppendPicture(s.imageList, std::to_string(i));
    s.randomOrder = random;
    s.intervalUnit = 2;
    s.intervalValue = 10;
    return s;
}

using Shown = std::vector<std::size_t>;

std::vector<std::size_t> Ticks(RotationScheduler& scheduler, AppSettings& live, int count) {
    std::vector<std::size_t> shown;
    for (int i = 0; i < count; ++i) shown.push_back(scheduler.Tick(live).at(0));
    return shown;
}

TEST(ClassicRandom, DrawsTheRuntimeSequence) {
    ClassicRandom random;
    // The first draws of the classic runtime generator seeded with 1.
    EXPECT_EQ(random.Next(), 41u);
    EXPECT_EQ(random.Next(), 18467u);
    EXPECT_EQ(random.Next(), 6334u);
    EXPECT_EQ(random.Next(), 26500u);
}

TEST(RotationPeriod, FollowsTheUnitAndHoldsValuesToItsRange) {
    const struct {
        std::int32_t unit, value;
        std::uint32_t ms;
    } cases[] = {
        {0, 24, 86400000}, {1, 10, 600000}, {2, 45, 45000}, {7, 30, 30000},  // any other unit counts seconds
        {2, 0, 10000},     {2, -5, 10000},  {1, 0, 60000},  {0, 100000, 86400000}, {1, 2147483647, 3600000},
    };
    for (const auto& c : cases) EXPECT_EQ(RotationPeriodMs(c.unit, c.value), c.ms) << c.unit << " " << c.value;
}

TEST(Rotation, ListOrderCyclesAndReArmsWithThePeriod) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(3, false);
    live.rotationPosition = 2;  // from the file: does not decide the first picture
    EXPECT_EQ(Ticks(scheduler, live, 7), (std::vector<std::size_t>{0, 1, 2, 0, 1, 2, 0}));
    EXPECT_TRUE(timer.armed);
    EXPECT_EQ(timer.period, 10000u);
    EXPECT_EQ(live.rotationPosition, 1);
}

TEST(Rotation, RandomOrderShowsEachPictureOncePerCycleAsTheGeneratorPredicts) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(5, true);
    // The first three shuffles of five pictures by the swap shuffle over the
    // classic generator's draws 41, 18467, 6334, 26500, 19169, ...
    using Order = std::vector<std::size_t>;
    const Order expected[] = {{3, 2, 4, 1, 0}, {4, 3, 2, 1, 0}, {1, 4, 3, 0, 2}};
    for (const auto& cycle : expected) EXPECT_EQ(Ticks(scheduler, live, 5), cycle);

    RotationScheduler again(timer);  // a second run of the program
    AppSettings second = WithPictures(5, true);
    EXPECT_EQ(Ticks(again, second, 5), expected[0]);

    AppSettings one = WithPictures(1, true);
    RotationScheduler single(timer);
    EXPECT_EQ(Ticks(single, one, 4), (std::vector<std::size_t>{0, 0, 0, 0}));
}

// One picture for each monitor: the next ones of the order, across the end
// of a cycle into the next (a new shuffle in random order), and Previous
// goes back one whole change.
TEST(Rotation, AChangeForSeveralMonitorsTakesTheNextPicturesInTurn) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(5, false);
    EXPECT_EQ(scheduler.Tick(live, false, 2), (Shown{0, 1}));
    EXPECT_EQ(scheduler.Tick(live, false, 2), (Shown{2, 3}));
    EXPECT_EQ(timer.period, 10000u);
    scheduler.Previous(live, 2);
    EXPECT_EQ(scheduler.Tick(live, false, 2), (Shown{0, 1})) << "the change before";
    scheduler.Previous(live, 2);
    EXPECT_EQ(scheduler.Tick(live, false, 2), (Shown{0, 1})) << "no further back than the start";
    EXPECT_EQ(scheduler.Tick(live, false, 3), (Shown{2, 3, 4}));
    EXPECT_EQ(scheduler.Tick(live, false, 3), (Shown{0, 1, 2})) << "on into the next cycle";

    AppSettings two = WithPictures(2, false);
    RotationScheduler fewer(timer);
    EXPECT_EQ(fewer.Tick(two, false, 3), (Shown{0, 1, 0})) << "fewer pictures than monitors come again";

    AppSettings random = WithPictures(5, true);
    RotationScheduler shuffled(timer);
    EXPECT_EQ(shuffled.Tick(random, false, 3), (Shown{3, 2, 4}));
    EXPECT_EQ(shuffled.Tick(random, false, 3), (Shown{1, 0, 4})) << "the second shuffle begins on the way";

    live.rotationEnabled = 0;
    EXPECT_TRUE(scheduler.Tick(live, false, 2).empty());
}

TEST(Rotation, PreviousAndNext) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(4, false);
    ASSERT_EQ(scheduler.Tick(live).at(0), 0u);  // right after start
    scheduler.Previous(live);
    EXPECT_EQ(timer.period, 0u);
    EXPECT_EQ(scheduler.Tick(live).at(0), 0u);  // the first picture again
    Ticks(scheduler, live, 2);             // 1, 2: the third picture is on screen
    scheduler.Previous(live);
    EXPECT_EQ(scheduler.Tick(live).at(0), 1u);
    scheduler.Next();
    EXPECT_TRUE(timer.armed);
    EXPECT_EQ(timer.period, 0u);
    EXPECT_EQ(scheduler.Tick(live).at(0), 2u);
    live.rotationPosition = -7;
    scheduler.Previous(live);
    EXPECT_EQ(live.rotationPosition, 0);
}

TEST(Rotation, DisabledStopsAndAnEmptyListKeepsTicking) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(0, false);
    EXPECT_TRUE(scheduler.Tick(live).empty());
    EXPECT_TRUE(timer.armed);
    EXPECT_EQ(timer.period, 10000u);
    live.rotationEnabled = 0;
    EXPECT_TRUE(scheduler.Tick(live).empty());
    EXPECT_FALSE(timer.armed);
}

TEST(Rotation, AChangedListRestartsTheOrderAndADamagedPositionIsNoIndex) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(5, false);
    Ticks(scheduler, live, 3);
    RemovePictures(live.imageList, {4});
    EXPECT_EQ(scheduler.Tick(live).at(0), 0u);
    live.rotationPosition = -1;
    EXPECT_EQ(scheduler.Tick(live).at(0), 0u);
    live.rotationPosition = 2147483647;
    EXPECT_EQ(scheduler.Tick(live).at(0), 0u);
}

// A busy user holds the change back, the timer looking again every 30 s;
// the first tick after it shows the picture that was due and re-arms the
// period. The user's own Next and Previous act all the same.
TEST(Rotation, ABusyUserHoldsTheChangeBackUntilTheFirstTickAfter) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(3, false);
    ASSERT_EQ(scheduler.Tick(live).at(0), 0u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(scheduler.Tick(live, true).empty());
        EXPECT_TRUE(scheduler.HeldBack());
        EXPECT_TRUE(timer.armed);
        EXPECT_EQ(timer.period, kHeldBackRecheckMs);
        EXPECT_EQ(live.rotationPosition, 1) << "nothing shown, nothing skipped";
    }
    EXPECT_EQ(scheduler.Tick(live, false), (Shown{1}));
    EXPECT_FALSE(scheduler.HeldBack());
    EXPECT_EQ(timer.period, 10000u);

    scheduler.Next();
    EXPECT_EQ(scheduler.Tick(live, true), (Shown{2})) << "Next acts while busy";
    scheduler.Previous(live);
    EXPECT_EQ(scheduler.Tick(live, true), (Shown{1})) << "Previous acts while busy";
    EXPECT_FALSE(scheduler.HeldBack());
    EXPECT_TRUE(scheduler.Tick(live, true).empty()) << "only the one tick they asked for";

    live.rotationEnabled = 0;
    EXPECT_TRUE(scheduler.Tick(live, true).empty());
    EXPECT_FALSE(scheduler.HeldBack()) << "disabled, nothing is held back";
    EXPECT_FALSE(timer.armed);
}

TEST(Rotation, ABusyUserChangesNothingWhenTheOptionIsOff) {
    FakeTimer timer;
    RotationScheduler scheduler(timer);
    AppSettings live = WithPictures(2, false);
    live.extension.userOptions.pauseInFullScreen = false;
    EXPECT_EQ(Ticks(scheduler, live, 3), (std::vector<std::size_t>{0, 1, 0}));
    EXPECT_EQ(scheduler.Tick(live, true), (Shown{1}));
    EXPECT_FALSE(scheduler.HeldBack());
    EXPECT_EQ(timer.period, 10000u);
}

TEST(Commit, RestartsTheRotationOnlyForANewIntervalOrAnEmptyList) {
    AppSettings live, working;
    EXPECT_TRUE(CommitRestartsRotation(live, working)) << "empty live list";
    AppendPicture(live.imageList, "a.jpg");
    EXPECT_FALSE(CommitRestartsRotation(live, working));
    working.randomOrder = 1;
    working.bossHotkey = 0x0341;
    EXPECT_FALSE(CommitRestartsRotation(live, working));
    working.intervalUnit = 2;
    EXPECT_TRUE(CommitRestartsRotation(live, working));
    working.intervalUnit = live.intervalUnit;
    working.intervalValue = 11;
    EXPECT_TRUE(CommitRestartsRotation(live, working));
}

}  // namespace
