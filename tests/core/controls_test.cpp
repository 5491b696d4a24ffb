#include "core/controls.h"
#include "core/items.h"

#include <gtest/gtest.h>

using namespace kavro;

TEST(Controls, CheckBoxAndTrackBarActOnEveryRealChangeOnly) {
    int clicks = 0;
    CheckBox box(true);
    box.on_click = [&] { ++clicks; };
    box.set_checked(true);
    EXPECT_EQ(clicks, 0);
    box.set_checked(false);
    box.set_checked(true);
    EXPECT_EQ(clicks, 2);

    int changes = 0;
    TrackBar bar(270, 360, 360);
    bar.on_change = [&] { ++changes; };
    bar.set_position(360);
    EXPECT_EQ(changes, 0);
    bar.set_position(100); // held within the range
    EXPECT_EQ(bar.position(), 270);
    bar.set_position(200);
    EXPECT_EQ(changes, 1);
}

TEST(Controls, RadioButtonActsWhenItBecomesSelected) {
    RadioGroup group;
    RadioButton a(group, true), b(group);
    int a_clicks = 0, b_clicks = 0;
    a.on_click = [&] { ++a_clicks; };
    b.on_click = [&] { ++b_clicks; };
    a.select();
    EXPECT_EQ(a_clicks, 0);
    b.select();
    EXPECT_TRUE(b.checked());
    EXPECT_FALSE(a.checked());
    EXPECT_EQ(b_clicks, 1);
    a.select();
    EXPECT_EQ(a_clicks, 1);
}

TEST(Controls, SelectorChangesOnlyOnTheUsersAction) {
    Selector s(true);
    int changes = 0;
    s.on_change = [&] { ++changes; };
    s.add("All");
    s.add("#3:");
    s.select(1);
    EXPECT_EQ(s.text(), "#3:");
    EXPECT_EQ(changes, 0);
    s.user_pick(0);
    EXPECT_EQ(s.text(), "All");
    s.user_type("#");
    s.user_type("#1");
    s.user_type("#1"); // no change of text
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(s.item_index(), -1);
}
