#include "wallpaper/change_order.h"

#include <gtest/gtest.h>

namespace {

TEST(ChangeOrder, TheNewestRequestWinsWhicheverFinishesFirst) {
    ChangeOrder order;
    const auto first = order.Request();
    const auto second = order.Request();
    EXPECT_FALSE(order.IsStale(first)) << "nothing newer shown yet";
    order.Shown(second);
    EXPECT_TRUE(order.IsStale(first)) << "finishing last, the older change must not replace the newer";
    EXPECT_FALSE(order.IsStale(second));

    ChangeOrder inTurn;
    const auto a = inTurn.Request();
    const auto b = inTurn.Request();
    inTurn.Shown(a);
    EXPECT_FALSE(inTurn.IsStale(b)) << "a newer change still shows after an older one";
    inTurn.Shown(b);
    inTurn.Shown(a);  // shown out of order: the newest stays the mark
    EXPECT_TRUE(inTurn.IsStale(a));
    EXPECT_FALSE(inTurn.IsStale(b));
}

TEST(ChangeOrder, TheBossKeyMakesEarlierRequestsStaleBeforeItsPictureIsShown) {
    ChangeOrder order;
    const auto rotation = order.Request();
    const auto boss = order.RequestOverriding();
    EXPECT_TRUE(order.IsStale(rotation)) << "the rotation picture must not appear before or after the boss picture";
    EXPECT_FALSE(order.IsStale(boss));
    const auto next = order.Request();
    EXPECT_FALSE(order.IsStale(next)) << "what is asked for afterwards shows as usual";
}

TEST(ChangeOrder, AfterTheFinalRestoreNothingShows) {
    ChangeOrder order;
    const auto before = order.Request();
    order.Close();
    EXPECT_TRUE(order.Closed());
    EXPECT_TRUE(order.IsStale(before));
    EXPECT_TRUE(order.IsStale(order.Request()));
}

}  // namespace
