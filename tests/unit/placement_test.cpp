#include "timer_window/placement.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

namespace {

using placement::Area;
using placement::Place;
using placement::Screen;

// A laptop and a projector, 1920 by 1080 pixels each, in twips. The laptop is the primary screen and
// stands right of the projector; a 32-pixel panel takes its top.
constexpr Screen laptop{{28800, 0, 28800, 16200}, {28800, 480, 28800, 15720}};
constexpr Screen projector{{0, 0, 28800, 16200}, {0, 0, 28800, 16200}};
const std::vector<Screen> desk{laptop, projector};

// The compact strip: 96 by 38 pixels.
constexpr double stripWidth = 1440;
constexpr double stripHeight = 570;

struct ReachRow {
    const char* name;
    double left, top;
    bool reachable;
};

void PrintTo(const ReachRow& row, std::ostream* out) {
    *out << row.name;
}

class Reach : public testing::TestWithParam<ReachRow> {};

TEST_P(Reach, AGrabbablePartMustLieInAScreensUsablePart) {
    const ReachRow& row = GetParam();
    EXPECT_EQ(placement::reachable({row.left, row.top, stripWidth, stripHeight}, desk), row.reachable);
}

INSTANTIATE_TEST_SUITE_P(
    Places, Reach,
    testing::Values(ReachRow{"OnTheLaptop", 33000, 3000, true}, ReachRow{"OnTheProjector", 4000, 0, true},
                    ReachRow{"TwentyPixelsOnTheLaptopsRightEdge", 57300, 3000, true},
                    ReachRow{"NineteenPixelsOnTheLaptopsRightEdge", 57315, 3000, false},
                    ReachRow{"TwentyPixelsOnTheProjectorsLeftEdge", -1140, 3000, true},
                    ReachRow{"OnePixelOnTheProjectorsLeftEdge", -1425, 3000, false},
                    ReachRow{"TwentyPixelsBelowTheTopOfTheProjector", 4000, -270, true},
                    ReachRow{"NineteenPixelsBelowTheTopOfTheProjector", 4000, -285, false},
                    ReachRow{"UnderTheLaptopsPanelAlmostWholly", 33000, -75, false},
                    ReachRow{"JustBelowTheLaptopsPanel", 33000, 480, true},
                    ReachRow{"BelowBothScreens", 4000, 16200, false},
                    ReachRow{"FarAway", 1e300, -1e300, false}),
    [](const testing::TestParamInfo<ReachRow>& info) { return info.param.name; });

TEST(Reach, AWindowSmallerThanTheGrabbableSquareNeedsOnlyToBeWhollyInside) {
    EXPECT_TRUE(placement::reachable({100, 100, 150, 150}, desk));
    EXPECT_FALSE(placement::reachable({-75, 100, 150, 150}, desk));
}

TEST(Reach, NoScreenLeavesNothingReachable) {
    EXPECT_FALSE(placement::reachable({4000, 0, stripWidth, stripHeight}, {}));
}

struct PrimaryRow {
    const char* name;
    Screen primary;
    Place fromCorner;
    Place expected;
};

void PrintTo(const PrimaryRow& row, std::ostream* out) {
    *out << row.name;
}

class OnPrimary : public testing::TestWithParam<PrimaryRow> {};

TEST_P(OnPrimary, MeasuresFromThePrimarysCornerAndKeepsTheWindowReachable) {
    const PrimaryRow& row = GetParam();
    EXPECT_EQ(placement::onPrimary(row.fromCorner, stripWidth, stripHeight, row.primary), row.expected);
}

// A primary screen of 200 by 150 pixels, too narrow for the default place.
constexpr Screen tiny{{0, 0, 3000, 2250}, {0, 0, 3000, 2250}};

INSTANTIATE_TEST_SUITE_P(
    Screens, OnPrimary,
    testing::Values(
        PrimaryRow{"DesignPlaceOnAPrimaryAtTheOrigin", projector, placement::designPlace, {4200, 2460}},
        PrimaryRow{"DesignPlaceOnAPrimaryRightOfTheProjector", laptop, placement::designPlace, {33000, 2460}},
        PrimaryRow{"FallbackAtTheOrigin", projector, placement::fallbackPlace, {4000, 0}},
        PrimaryRow{"FallbackPushedBelowThePanel", laptop, placement::fallbackPlace, {32800, 480}},
        PrimaryRow{"FallbackOnAScreenTooNarrowForIt", tiny, placement::fallbackPlace, {1560, 0}}),
    [](const testing::TestParamInfo<PrimaryRow>& info) { return info.param.name; });

TEST(FallbackFor, OnlyAWindowNobodyCouldReachMovesToThePrimary) {
    // Left where an unplugged monitor was, right of the laptop.
    EXPECT_EQ(placement::fallbackFor({60000, 3000, stripWidth, stripHeight}, desk), Place(32800, 480));
    EXPECT_EQ(placement::fallbackFor({4000, 3000, stripWidth, stripHeight}, desk), std::nullopt);
    // With the projector gone, its place is lost too.
    const Screen laptopAlone[] = {laptop};
    EXPECT_EQ(placement::fallbackFor({4000, 3000, stripWidth, stripHeight}, laptopAlone), Place(32800, 480));
    // Nothing to judge by: the window stays.
    EXPECT_EQ(placement::fallbackFor({60000, 3000, stripWidth, stripHeight}, {}), std::nullopt);
}

struct StoredRow {
    const char* name;
    const char* left;
    const char* top;
    bool stored;
    Place place;
};

void PrintTo(const StoredRow& row, std::ostream* out) {
    *out << row.name;
}

class Stored : public testing::TestWithParam<StoredRow> {};

TEST_P(Stored, ReadsThePlaceAsTheStartOfACountdownDoes) {
    const StoredRow& row = GetParam();
    EXPECT_EQ(placement::hasStoredPlace(row.left, row.top), row.stored);
    EXPECT_EQ(placement::storedPlace(row.left, row.top), row.place);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Stored,
    testing::Values(StoredRow{"NothingStored", "", "", false, {4000, 0}},
                    StoredRow{"AsWritten", "7245", "3600", true, {7245, 3600}},
                    StoredRow{"LeftZeroMeans4000", "0", "3600", true, {4000, 3600}},
                    StoredRow{"OnlyTopStored", "", "3600", true, {4000, 3600}},
                    StoredRow{"TopHalfGoesToEven", "7245.5", "7245.5", true, {7245.5, 7246}},
                    StoredRow{"TopBeyondSixteenBits", "33000", "40000", true, {33000, 40000}},
                    StoredRow{"TopBeyondThirtyTwoBitsCountsAsZero", "7245", "1E10", true, {7245, 0}},
                    StoredRow{"LeftBeyondEveryNumberCountsAsZero", "1E400", "3600", true, {0, 3600}},
                    StoredRow{"NotNumbers", "abc", "xyz", true, {4000, 0}}),
    [](const testing::TestParamInfo<StoredRow>& info) { return info.param.name; });

} // namespace
