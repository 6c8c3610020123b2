#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "datalog/ChannelInfo.h"
#include "datalog/ChannelNaming.h"

namespace quillon {
namespace {

using E = EcuConfigBlock;

std::vector<int> AvailableChannels(const EcuConfigBlock& config) {
    std::vector<int> out;
    for (int c = -5; c <= 450; ++c)
        if (IsChannelAvailable(config, c)) out.push_back(c);
    return out;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> out;
    for (int c = from; c <= to; ++c)
        out.push_back(c);
    return out;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

/// The channels that a change of the configuration makes available on top of an all-zero block.
std::vector<int> AddedBy(const std::function<void(EcuConfigBlock&)>& change) {
    EcuConfigBlock base{};
    EcuConfigBlock changed{};
    change(changed);
    const auto before = AvailableChannels(base);
    const std::set<int> baseSet(before.begin(), before.end());
    std::vector<int> added;
    for (int c : AvailableChannels(changed))
        if (!baseSet.count(c)) added.push_back(c);
    return added;
}

TEST(ChannelInfoTable, RecordsAreIndexedByChannelNumberAndNamesAreUnique) {
    std::set<std::string> names;
    for (int c = 0; c < kCatalogueSize; ++c) {
        const ChannelInfo& info = GetChannelInfo(c);
        EXPECT_EQ(info.channel, uint32_t(c));
        EXPECT_TRUE(names.insert(info.name).second) << "duplicate name " << info.name;
        // Every format is safe to hand to printf with one double.
        EXPECT_TRUE(IsSingleFloatFormat(info.valueFormat)) << c;
        EXPECT_TRUE(IsSingleFloatFormat(info.numberFormat)) << c;
        EXPECT_LE(info.discrete, 1);
        EXPECT_LE(info.fixedScale, 1);
    }
    EXPECT_EQ(&GetChannelInfo(-1), &GetChannelInfo(0));
    EXPECT_EQ(&GetChannelInfo(299), &GetChannelInfo(0));
    EXPECT_EQ(&GetChannelInfo(100000), &GetChannelInfo(0));
}

TEST(ChannelInfoTable, RowsMatchTheCatalogue) {
    struct Row {
        int c;
        const char* name;
        const char* valueFormat;
        const char* unit;
        const char* numberFormat;
        float minimum, maximum;
        int discrete, fixedScale;
    };
    const Row rows[] = {
        {0, "Placeholder", "%.0f", "", "%.0f", 0, 1, 0, 0},
        {1, "RTC", "%.3f sec", "sec", "%.3f", -1000000, 1000000, 0, 0},
        {2, "RPM", "%.0f", "RPM", "%.0f", 0, 20000, 0, 1},
        {4, "Duty Cycle", "%.1f%%", "%", "%.1f", 0, 100, 0, 1},
        {15, "CL Status", "%.0f", "", "%.0f", 0, 1, 1, 1},
        {18, "Fuel Flow", "%.1f lb/hr", "lb/hr", "%.1f", 0, 9999.9f, 0, 1},
        {20, "TPS RoC", "%.0f %%/sec", "%/sec", "%.0f", 0, 1000, 0, 1},
        {23, "Ignition Timing", "%.1f\xB0", "\xB0", "%.1f", 0, 60, 0, 1},
        {31, "MAT",
         "%.0f\xB0"
         "F",
         "\xB0"
         "F",
         "%.0f", -40, 999, 0, 1},
        {37, "Pedal Position", "%.0f%%", "%", "%.0f", 0, 100, 0, 0},
        {39, "Rev Limit #1", "%.0f", "", "%.0f", 0, 1, 1, 1},
        {40, "Rev Limit #2", "%.0f", "", "%.0f", 0, 1, 1, 1},
        {44, "Timing Retard #3", "%.1f\xB0", "\xB0", "%.1f", 0, 60, 0, 1},
        {47, "#2 Fuel Pump", "%.0f", "", "%.0f", 0, 1, 1, 1},
        {58, "Inj End Angle", "%.1f \xB0", "\xB0", "%.1f", -720, 720, 0, 1},
        {59, "ECU Log Trigger", "%.1f sec", "sec", "%.1f sec", 0, 99999, 0, 1},
        {60, "Timing vs Air", "%.1f\xB0", "%\xB0", "%.1f", -20, 20, 0, 1},
        {69, "Status 8", "%.2f", "", "%.2f", -99999, 99999, 0, 0},
        {70, "Injector #1 PPH", "%.1f lb/hr", "lb/hr", "%.1f", 0, 5000, 0, 0},
        {81, "Injector #12 PPH", "%.1f lb/hr", "lb/hr", "%.1f", 0, 5000, 0, 0},
        {93, "Injector #12 PW", "%.2f msec", "msec", "%.2f", 0, 999, 0, 0},
        {109, "Cyl #16 Fuel Cor", "%.1f%%", "%", "%.1f", -50, 50, 0, 1},
        {110, "Cyl #1 Timing Cor", "%.1f\xB0", "\xB0", "%.1f", -45, 45, 0, 1},
        {128, "System Pad2", "%.0f", "", "%.0f", 0, 1, 0, 0},
        {130, "System Pad4", "%.0f", "", "%.0f", 0, 1, 0, 0},
        {144, "Boost Safety", "%.0f", "", "%.0f", 0, 1, 0, 1},
        {150, "W/M Injection", "%.1f", "%", "%.1f", 0, 100, 0, 1},
        {155, "W/M Sol 2 Flow", "%.1f lb/hr", "lb/hr", "%.1f", 0, 9999, 0, 1},
        {168, "N2O Stage 8", "%.0f%%", "%", "%.0f", 0, 100, 0, 1},
        {176, "GPO 8", "%.0f", "", "%.0f", 0, 1, 1, 1},
        {185, "N2O Input #8", "%.0f", "", "%.0f", 0, 1, 1, 1},
        {207, "N2O Tmg Mod #8", "%.1f\xB0", "\xB0", "%.1f", 0, 60, 0, 1},
        {219, "N20 Pad4", "%.0f", "", "%.0f", 0, 1, 0, 0},
        {226, "Line Temp",
         "%.0f\xB0"
         "F",
         "\xB0"
         "F",
         "%.0f", -50, 325, 0, 1},
        {232, "Trans Pad 2", "%.0f", "", "%.0f", 0, 1, 0, 0},
        {238, "TB2 TPS #2", "%.2f Volts", "Volts", "%.2f", 0, 5, 0, 1},
        {243, "Diag #1", "%.2f", "", "%.2f", -10000, 10000, 0, 0},
        {262, "Diag #20", "%.2f", "", "%.2f", -10000, 10000, 0, 0},
        {266, "AT Gear", "%.0f", "", "%.0f", 0, 8, 0, 1},
        {267, "AT 1D #1", "%.2f", "", "%.2f", 0, 100, 0, 0},
        {298, "AT 2D Gear #8", "%.2f", "", "%.2f", 0, 100, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.c);
        const ChannelInfo& info = GetChannelInfo(r.c);
        EXPECT_STREQ(info.name, r.name);
        EXPECT_STREQ(info.valueFormat, r.valueFormat);
        EXPECT_STREQ(info.unit, r.unit);
        EXPECT_STREQ(info.numberFormat, r.numberFormat);
        EXPECT_EQ(info.minimum, r.minimum);
        EXPECT_EQ(info.maximum, r.maximum);
        EXPECT_EQ(info.discrete, r.discrete);
        EXPECT_EQ(info.fixedScale, r.fixedScale);
    }
    // The degree sign is one byte, never UTF-8.
    EXPECT_EQ(std::strlen(GetChannelInfo(23).unit), 1u);
}

TEST(ChannelAvailability, AllZeroBlockOffersExactlyTheUnconditionalChannels) {
    EcuConfigBlock config{};
    EXPECT_EQ(AvailableChannels(config), Join({Range(1, 7),
                                               Range(10, 23),
                                               {27},
                                               Range(29, 38),
                                               Range(50, 57),
                                               Range(59, 93),
                                               {126, 127},
                                               Range(243, 262)}));
}

TEST(ChannelAvailability, EachConditionAddsItsOwnChannels) {
    struct Case {
        const char* what;
        std::function<void(EcuConfigBlock&)> change;
        std::vector<int> added;
    };
    auto set = [](U32Field f, uint32_t v = 1) { return [=](E& b) { b.Set(f, v); }; };
    auto setAt = [](U32Field f, size_t i, uint32_t v = 1) {
        return [=](E& b) { b.SetAt(f, i, v); };
    };
    auto both = [](std::function<void(E&)> a, std::function<void(E&)> b) {
        return [=](E& x) { a(x), b(x); };
    };
    const Case cases[] = {
        {"one O2 sensor", set(E::o2SensorCount, 1), {}},
        {"two O2 sensors", set(E::o2SensorCount, 2), {8, 9}},
        {"knock", set(E::knockEnabled, 7), {24, 25}},
        {"output enable 0", setAt(E::outputEnables, 0), {39}},
        {"output enable 9", setAt(E::outputEnables, 9), {48}},
        {"TCC lockup", set(E::tccLockupEnabled), {49}},
        {"transmission", set(E::transEnabled), Join({{49}, Range(220, 227)})},
        {"trans input 2", both(set(E::transEnabled), setAt(E::transInputs, 2)),
         Join({{49}, Range(220, 227), {230}})},
        {"trans input without trans", setAt(E::transInputs, 0), {}},
        {"fuel mode 1, no cylinders", set(E::fuelMode), {58}},
        {"fuel mode 2", set(E::fuelMode, 2), {}},
        {"8 cylinders, fuel mode 1", both(set(E::fuelMode), set(E::cylinderCount, 8)),
         Join({{58}, Range(94, 101)})},
        {"8 cylinders, fuel mode 0", set(E::cylinderCount, 8), {}},
        {"boost, mode 0", set(E::boostEnabled), {133, 135, 136, 143, 144, 148, 149}},
        {"boost, mode 1",
         both(set(E::boostEnabled), set(E::boostControlMode, 1)),
         {131, 133, 135, 136, 143, 144, 148, 149}},
        {"boost, mode 2",
         both(set(E::boostEnabled), set(E::boostControlMode, 2)),
         {131, 133, 136, 143, 144, 148, 149}},
        {"boost, mode 3",
         both(set(E::boostEnabled), set(E::boostControlMode, 3)),
         {133, 134, 136, 143, 144, 148, 149}},
        {"boost, mode 4",
         both(set(E::boostEnabled), set(E::boostControlMode, 4)),
         {132, 133, 135, 136, 143, 144, 148, 149}},
        {"boost mode without boost", set(E::boostControlMode, 1), {}},
        {"boost input 0",
         both(set(E::boostEnabled), setAt(E::boostInputs, 0)),
         {133, 135, 136, 143, 144, 145, 148, 149}},
        {"boost input 5",
         both(set(E::boostEnabled), setAt(E::boostInputs, 5)),
         {133, 135, 136, 143, 144, 146, 148, 149}},
        {"boost input 8",
         both(set(E::boostEnabled), setAt(E::boostInputs, 8)),
         {133, 135, 136, 142, 143, 144, 148, 149}},
        {"boost input without boost", setAt(E::boostInputs, 0), {}},
        {"water/meth", set(E::waterMethEnabled), {150, 153, 154, 156, 157}},
        {"w/m manual enable",
         both(set(E::waterMethEnabled), set(E::wmManualEnableInput)),
         {150, 151, 153, 154, 156, 157}},
        {"w/m low fluid",
         both(set(E::waterMethEnabled), set(E::wmLowFluidInput)),
         {150, 152, 153, 154, 156, 157}},
        {"w/m second solenoid",
         both(set(E::waterMethEnabled), set(E::wmSecondSolenoid)),
         {150, 153, 154, 155, 156, 157, 158}},
        {"nitrous alone", set(E::nitrousEnabled), {189, 190}},
        {"nitrous stage 1",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 0)),
         {161, 189, 190, 192, 200, 208}},
        {"nitrous stage 8",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 7)),
         {168, 189, 190, 199, 207, 215}},
        {"nitrous flag 8 (GPO 1)",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 8)),
         {169, 189, 190}},
        {"nitrous flag 25 (purge)",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 25)),
         {186, 189, 190}},
        {"nitrous flag 26",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 26)),
         {189, 190, 191}},
        {"nitrous flag 27",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 27)),
         {187, 189, 190}},
        {"nitrous flag 28",
         both(set(E::nitrousEnabled), setAt(E::nitrousFlags, 28)),
         {188, 189, 190}},
        {"nitrous flag without nitrous", setAt(E::nitrousFlags, 0), {}},
        {"drive by wire", set(E::dbwEnabled), {233, 234, 235, 236, 239, 241}},
        {"second throttle body", both(set(E::dbwEnabled), set(E::secondThrottleBody)),
         Join({Range(233, 241)})},
        {"AT", set(E::atEnabled), {266}},
        {"AT launch", both(set(E::atEnabled), set(E::atLaunchInput)), {263, 266}},
        {"AT shift", both(set(E::atEnabled), set(E::atShiftInput)), {264, 266}},
        {"AT manual reset", both(set(E::atEnabled), set(E::atManualResetInput)), {265, 266}},
        {"AT table 3", both(set(E::atEnabled), set(E::AtTableEnabled(3))), {266, 270}},
        {"AT table without AT", set(E::AtTableEnabled(3)), {}},
        {"input 0", set(E::InputEnabled(0)), {299}},
        {"input 79", set(E::InputEnabled(79)), {378}},
        {"output 0", set(E::OutputEnabled(0)), {379}},
        {"output 61", set(E::OutputEnabled(61)), {440}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddedBy(c.change), c.added) << c.what;
}

TEST(ChannelAvailability, CylinderTimingCorrectionsNeedAQualifyingIgnition) {
    auto timing = [](uint32_t type, uint32_t subType) {
        EcuConfigBlock b{};
        b.Set(E::fuelMode, 1);
        b.Set(E::cylinderCount, 8);
        b.Set(E::ignitionType, type);
        b.Set(E::ignitionSubType, subType);
        std::vector<int> out;
        for (int c = 110; c <= 125; ++c)
            if (IsChannelAvailable(b, c)) out.push_back(c);
        return out;
    };
    for (uint32_t type : {4u, 5u, 7u, 8u, 10u, 11u, 12u, 13u, 14u})
        EXPECT_EQ(timing(type, 1), Range(110, 117)) << type;
    for (uint32_t type : {0u, 1u, 2u, 3u, 6u, 15u, 0xFFFFFFFFu})
        EXPECT_EQ(timing(type, 0), std::vector<int>{}) << type;
    for (uint32_t sub : {0u, 3u, 4u, 5u})
        EXPECT_EQ(timing(9, sub), Range(110, 117)) << sub;
    for (uint32_t sub : {1u, 2u, 6u})
        EXPECT_EQ(timing(9, sub), std::vector<int>{}) << sub;

    // A huge count from a damaged block makes all sixteen available.
    EcuConfigBlock b{};
    b.Set(E::fuelMode, 1);
    b.Set(E::cylinderCount, 0xFFFFFFFF);
    b.Set(E::ignitionType, 4);
    EXPECT_TRUE(IsChannelAvailable(b, 109));
    EXPECT_TRUE(IsChannelAvailable(b, 125));
}

TEST(ChannelAvailability, PadChannelsAndOutOfRangeNumbersAreNeverAvailable) {
    EcuConfigBlock all{};
    std::memset(all.bytes.data(), 0xFF, all.bytes.size());
    for (int c :
         {-1, 0, 26, 28, 128, 129, 130, 159, 160, 216, 217, 218, 219, 231, 232, 242, 441, 100000})
        EXPECT_FALSE(IsChannelAvailable(all, c)) << c;
    EXPECT_TRUE(IsChannelAvailable(all, 440));
}

TEST(ChannelRange, RpmAndMapAxesFollowTheRunningMaxima) {
    LogData log;
    EXPECT_EQ(GetChannelMax(log, 2), 10000.0f);
    log.maxRpm = 10000.0f;
    EXPECT_EQ(GetChannelMax(log, 2), 10000.0f);
    log.maxRpm = 10001.0f;
    EXPECT_EQ(GetChannelMax(log, 2), 20000.0f);
    log.maxRpm = NAN;
    EXPECT_EQ(GetChannelMax(log, 2), 20000.0f);

    for (int c : {29, 133}) {
        log.maxMap = 300.0f;
        EXPECT_EQ(GetChannelMax(log, c), 300.0f) << c;
        log.maxMap = 300.5f;
        EXPECT_EQ(GetChannelMax(log, c), 999.0f) << c;
    }
    EXPECT_EQ(GetChannelMin(log, 2), 0.0f);
    EXPECT_EQ(GetChannelMax(log, 3), 70.0f);  // a plain catalogue maximum
}

TEST(ChannelRange, OutOfCatalogueAndTableChannels) {
    LogData log;
    EXPECT_EQ(GetChannelMin(log, 0), 0.0f);
    EXPECT_EQ(GetChannelMax(log, 0), 100.0f);
    EXPECT_EQ(GetChannelMin(log, -7), 0.0f);
    EXPECT_EQ(GetChannelMax(log, -7), 100.0f);
    EXPECT_EQ(GetChannelMin(log, 299), -10000.0f);
    EXPECT_EQ(GetChannelMax(log, 440), 100.0f);
    EXPECT_EQ(GetChannelMin(log, 5000), -10000.0f);
    EXPECT_EQ(GetChannelMin(log, 1), -1000000.0f);

    // AT tables take the range of their table type; type 11 depends on the boost units.
    log.config.Set(E::AtTableType(0), 11);
    log.config.Set(E::boostTargetUnits, 2);
    EXPECT_EQ(GetChannelMin(log, 267), -100.0f);
    EXPECT_EQ(GetChannelMax(log, 267), 100.0f);
    log.config.Set(E::boostTargetUnits, 1);
    EXPECT_EQ(GetChannelMin(log, 267), -999.0f);
    EXPECT_EQ(GetChannelMax(log, 267), 999.0f);
    log.config.Set(E::AtTableType(31), 200);
    EXPECT_EQ(GetChannelMin(log, 298), 0.0f);
    EXPECT_EQ(GetChannelMax(log, 298), 100.0f);
    log.config.Set(E::AtTableType(31), 5);
    EXPECT_EQ(GetChannelMin(log, 298), -9.9f);
    EXPECT_EQ(GetChannelMax(log, 298), 9.9f);
}

TEST(ChannelRange, DefaultAxisSettingsUseAnEmptyLog) {
    const ChannelAxisSetting rtc = DefaultAxisSetting(1);
    EXPECT_EQ(rtc.autoscale, 1);
    EXPECT_EQ(rtc.minimum, -1000000.0f);
    EXPECT_EQ(rtc.maximum, 1000000.0f);

    const ChannelAxisSetting rpm = DefaultAxisSetting(2);
    EXPECT_EQ(rpm.autoscale, 0);
    EXPECT_EQ(rpm.minimum, 0.0f);
    EXPECT_EQ(rpm.maximum, 10000.0f);

    EXPECT_EQ(DefaultAxisSetting(29).maximum, 300.0f);
    EXPECT_EQ(DefaultAxisSetting(133).maximum, 300.0f);
    EXPECT_EQ(DefaultAxisSetting(5).autoscale, 1);  // "CL Comp" is not fixed-scale

    // AT tables of an all-zero block are type 0; their static rows are not fixed-scale.
    const ChannelAxisSetting at = DefaultAxisSetting(267);
    EXPECT_EQ(at.autoscale, 1);
    EXPECT_EQ(at.minimum, -100000.0f);
    EXPECT_EQ(at.maximum, 100000.0f);

    const ChannelAxisSetting output = DefaultAxisSetting(440);
    EXPECT_EQ(output.autoscale, 1);
    EXPECT_EQ(output.minimum, -10000.0f);
    EXPECT_EQ(output.maximum, 100.0f);

    int fixed = 0;
    for (int c = 1; c <= kChannelCount; ++c)
        fixed += DefaultAxisSetting(c).autoscale == 0;
    int fixedRows = 0;
    for (int c = 1; c < kCatalogueSize; ++c)
        fixedRows += GetChannelInfo(c).fixedScale;
    EXPECT_EQ(fixed, fixedRows);
}

}  // namespace
}  // namespace quillon
