#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>

#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"

namespace quillon {
namespace {

using E = EcuConfigBlock;

std::vector<int> Available(const EcuConfigBlock& config, int from = -5, int to = 450) {
    std::vector<int> out;
    for (int c = from; c <= to; ++c)
        if (IsChannelAvailable(config, c)) out.push_back(c);
    return out;
}

TEST(ChannelInfoTable, RecordsAreWholeAndSafeToPrint) {
    std::set<std::string> names;
    for (int c = 0; c < kCatalogueSize; ++c) {
        const ChannelInfo& info = GetChannelInfo(c);
        EXPECT_EQ(info.channel, uint32_t(c));
        // Expanded ranges ("Injector #1 PPH" ... "#12") give distinct names.
        EXPECT_TRUE(names.insert(info.name).second) << "duplicate name " << info.name;
        EXPECT_TRUE(IsSingleFloatFormat(info.valueFormat)) << c;
        EXPECT_TRUE(IsSingleFloatFormat(info.numberFormat)) << c;
    }
    EXPECT_EQ(&GetChannelInfo(-1), &GetChannelInfo(0));
    EXPECT_EQ(&GetChannelInfo(299), &GetChannelInfo(0));

    // Rows that are easy to get wrong: the one-byte degree sign, odd units and formats, range
    // expansions that do not start at 1 or carry the number inside the name.
    EXPECT_STREQ(GetChannelInfo(31).valueFormat,
                 "%.0f\xB0"
                 "F");
    EXPECT_STREQ(GetChannelInfo(58).valueFormat, "%.1f \xB0");
    EXPECT_STREQ(GetChannelInfo(59).numberFormat, "%.1f sec");
    EXPECT_STREQ(GetChannelInfo(60).unit, "%\xB0");
    EXPECT_EQ(GetChannelInfo(18).maximum, 9999.9f);
    EXPECT_STREQ(GetChannelInfo(128).name, "System Pad2");
    EXPECT_STREQ(GetChannelInfo(155).name, "W/M Sol 2 Flow");
    EXPECT_STREQ(GetChannelInfo(216).name, "N20 Pad1");
    EXPECT_STREQ(GetChannelInfo(262).name, "Diag #20");
    EXPECT_STREQ(GetChannelInfo(298).name, "AT 2D Gear #8");
    EXPECT_EQ(GetChannelInfo(15).discrete, 1);
}

TEST(ChannelAvailability, AllZeroBlockOffersExactlyTheUnconditionalChannels) {
    std::vector<int> want;
    const std::pair<int, int> ranges[] = {{1, 7},   {10, 23}, {27, 27},   {29, 38},
                                          {50, 57}, {59, 93}, {126, 127}, {243, 262}};
    for (auto [from, to] : ranges)
        for (int c = from; c <= to; ++c)
            want.push_back(c);
    EXPECT_EQ(Available(EcuConfigBlock{}), want);

    EcuConfigBlock all{};
    std::memset(all.bytes.data(), 0xFF, all.bytes.size());
    for (int c : {0, 26, 28, 128, 159, 216, 231, 242, 441})  // never, whatever the block says
        EXPECT_FALSE(IsChannelAvailable(all, c)) << c;
}

/// A change to an all-zero block and the channels it adds to those of the block.
struct Condition {
    const char* what;
    std::function<void(E&)> change;
    const char* added;
};
void PrintTo(const Condition& c, std::ostream* os) {
    *os << c.what;
}

std::function<void(E&)> Set(U32Field f, uint32_t v = 1) {
    return [=](E& b) { b.Set(f, v); };
}
std::function<void(E&)> At(U32Field f, size_t i) {
    return [=](E& b) { b.SetAt(f, i, 1); };
}
std::function<void(E&)> Both(std::function<void(E&)> a, std::function<void(E&)> b) {
    return [=](E& x) { a(x), b(x); };
}
const auto boost = Set(E::boostEnabled), nitrous = Set(E::nitrousEnabled);
const auto wm = Set(E::waterMethEnabled), trans = Set(E::transEnabled);

const Condition kConditions[] = {
    {"o2 x1", Set(E::o2SensorCount, 1), ""},
    {"o2 x2", Set(E::o2SensorCount, 2), "8 9"},
    {"knock", Set(E::knockEnabled, 7), "24 25"},
    {"output 9", At(E::outputEnables, 9), "48"},
    {"tcc", Set(E::tccLockupEnabled), "49"},
    {"trans in 2", Both(trans, At(E::transInputs, 2)), "49 220 221 222 223 224 225 226 227 230"},
    {"fuel mode 2", Set(E::fuelMode, 2), ""},
    {"boost mode 0", boost, "133 135 136 143 144 148 149"},
    {"boost mode 1", Both(boost, Set(E::boostControlMode, 1)), "131 133 135 136 143 144 148 149"},
    {"boost mode 2", Both(boost, Set(E::boostControlMode, 2)), "131 133 136 143 144 148 149"},
    {"boost mode 3", Both(boost, Set(E::boostControlMode, 3)), "133 134 136 143 144 148 149"},
    {"boost mode 4", Both(boost, Set(E::boostControlMode, 4)), "132 133 135 136 143 144 148 149"},
    {"boost in 0", Both(boost, At(E::boostInputs, 0)), "133 135 136 143 144 145 148 149"},
    {"boost in 5", Both(boost, At(E::boostInputs, 5)), "133 135 136 143 144 146 148 149"},
    {"boost in 8", Both(boost, At(E::boostInputs, 8)), "133 135 136 142 143 144 148 149"},
    {"boost in, no boost", At(E::boostInputs, 0), ""},
    {"w/m", wm, "150 153 154 156 157"},
    {"w/m manual", Both(wm, Set(E::wmManualEnableInput)), "150 151 153 154 156 157"},
    {"w/m low fluid", Both(wm, Set(E::wmLowFluidInput)), "150 152 153 154 156 157"},
    {"w/m 2nd sol", Both(wm, Set(E::wmSecondSolenoid)), "150 153 154 155 156 157 158"},
    {"n2o", nitrous, "189 190"},
    {"n2o stage 1", Both(nitrous, At(E::nitrousFlags, 0)), "161 189 190 192 200 208"},
    {"n2o stage 8", Both(nitrous, At(E::nitrousFlags, 7)), "168 189 190 199 207 215"},
    {"n2o flag 8", Both(nitrous, At(E::nitrousFlags, 8)), "169 189 190"},
    {"n2o flag 25", Both(nitrous, At(E::nitrousFlags, 25)), "186 189 190"},
    {"n2o flag 26", Both(nitrous, At(E::nitrousFlags, 26)), "189 190 191"},
    {"n2o flag 27", Both(nitrous, At(E::nitrousFlags, 27)), "187 189 190"},
    {"n2o flag 28", Both(nitrous, At(E::nitrousFlags, 28)), "188 189 190"},
    {"n2o flag, no n2o", At(E::nitrousFlags, 0), ""},
    {"dbw", Set(E::dbwEnabled), "233 234 235 236 239 241"},
    {"dbw + tb2", Both(Set(E::dbwEnabled), Set(E::secondThrottleBody)),
     "233 234 235 236 237 238 239 240 241"},
    {"at launch", Both(Set(E::atEnabled), Set(E::atLaunchInput)), "263 266"},
    {"at shift", Both(Set(E::atEnabled), Set(E::atShiftInput)), "264 266"},
    {"at reset", Both(Set(E::atEnabled), Set(E::atManualResetInput)), "265 266"},
    {"at table 3", Both(Set(E::atEnabled), Set(E::AtTableEnabled(3))), "266 270"},
    {"at table, no at", Set(E::AtTableEnabled(3)), ""},
    {"input 79", Set(E::InputEnabled(79)), "378"},
    {"output 61", Set(E::OutputEnabled(61)), "440"},
};

class ChannelCondition : public testing::TestWithParam<Condition> {};

TEST_P(ChannelCondition, AddsItsOwnChannels) {
    const std::vector<int> base = Available(EcuConfigBlock{});
    EcuConfigBlock b{};
    GetParam().change(b);
    std::string added;
    for (int ch : Available(b))
        if (!std::binary_search(base.begin(), base.end(), ch))
            added += (added.empty() ? "" : " ") + std::to_string(ch);
    EXPECT_EQ(added, GetParam().added);
}

INSTANTIATE_TEST_SUITE_P(ChannelAvailability, ChannelCondition, testing::ValuesIn(kConditions),
                         [](const testing::TestParamInfo<Condition>& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(ChannelAvailability, CylinderCorrectionsNeedFuelModeCountAndIgnition) {
    auto corrections = [](uint32_t count, uint32_t type, uint32_t subType) {
        EcuConfigBlock b{};
        b.Set(E::fuelMode, 1);
        b.Set(E::cylinderCount, count);
        b.Set(E::ignitionType, type);
        b.Set(E::ignitionSubType, subType);
        return Available(b, 94, 125);
    };
    std::vector<int> fuel8, both8;
    for (int c = 94; c <= 117; ++c) {
        if (c <= 101) fuel8.push_back(c);
        if (c <= 101 || c >= 110) both8.push_back(c);
    }
    EXPECT_EQ(corrections(8, 0, 0), fuel8);
    for (uint32_t type : {3u, 4u, 5u, 6u, 7u, 8u, 10u, 11u, 12u, 13u, 14u, 15u})
        EXPECT_EQ(corrections(8, type, 1), type == 3 || type == 6 || type == 15 ? fuel8 : both8)
            << type;
    for (uint32_t sub : {0u, 1u, 2u, 3u, 4u, 5u, 6u})  // ignition type 9 depends on the sub-type
        EXPECT_EQ(corrections(8, 9, sub), sub == 1 || sub == 2 || sub == 6 ? fuel8 : both8) << sub;
    EXPECT_EQ(corrections(0xFFFFFFFF, 4, 0).size(), 32u);  // a damaged count stays in range
}

TEST(ChannelRange, RunningMaximaTableTypesAndOutOfRangeChannels) {
    LogData log;
    // RPM and MAP axes grow past their running maxima; a NaN maximum counts as large.
    for (auto [rpm, max] : {std::pair{0.0f, 10000.0f}, {10001.0f, 20000.0f}, {NAN, 20000.0f}}) {
        log.maxRpm = rpm;
        EXPECT_EQ(GetChannelMax(log, 2), max) << rpm;
    }
    for (int c : {29, 133}) {
        log.maxMap = 300.0f;
        const float atLimit = GetChannelMax(log, c);
        log.maxMap = 300.5f;
        EXPECT_EQ(std::pair(atLimit, GetChannelMax(log, c)), std::pair(300.0f, 999.0f)) << c;
    }
    EXPECT_EQ(std::tuple(GetChannelMin(log, -7), GetChannelMax(log, 0), GetChannelMin(log, 299),
                         GetChannelMax(log, 5000)),
              std::tuple(0.0f, 100.0f, -10000.0f, 100.0f));

    log.config.Set(E::AtTableType(0), 11);
    log.config.Set(E::boostTargetUnits, 2);
    EXPECT_EQ(GetChannelMin(log, 267), -100.0f);
    log.config.Set(E::boostTargetUnits, 1);
    EXPECT_EQ(GetChannelMax(log, 267), 999.0f);
    log.config.Set(E::AtTableType(31), 200);
    EXPECT_EQ(std::pair(GetChannelMin(log, 298), GetChannelMax(log, 298)), std::pair(0.0f, 100.0f));
}

TEST(ChannelRange, DefaultAxisSettingsUseAnEmptyLog) {
    // channel, autoscale, minimum, maximum; 267 is table type 0 of an all-zero block.
    const std::array<float, 4> cases[] = {{1, 1, -1000000, 1000000}, {2, 0, 0, 10000},
                                          {29, 0, 0, 300},           {133, 0, 0, 300},
                                          {267, 1, -100000, 100000}, {440, 1, -10000, 100}};
    for (const auto& c : cases) {
        const ChannelAxisSetting s = DefaultAxisSetting(int(c[0]));
        EXPECT_EQ(std::tuple(float(s.autoscale), s.minimum, s.maximum),
                  std::tuple(c[1], c[2], c[3]))
            << c[0];
    }
}

}  // namespace
}  // namespace quillon
