#include "model/ChannelInfo.h"

#include "model/ChannelNaming.h"

namespace quillon {

namespace {

bool Set(const EcuConfigBlock& config, U32Field field) {
    return config.Get(field) != 0;
}

bool SetAt(const EcuConfigBlock& config, U32Field field, size_t i) {
    return config.GetAt(field, i) != 0;
}

bool IsOneOf(uint32_t v, std::initializer_list<uint32_t> set) {
    for (uint32_t s : set)
        if (v == s) return true;
    return false;
}

bool BoostInputAvailable(const EcuConfigBlock& config, size_t k) {
    return Set(config, EcuConfigBlock::boostEnabled) &&
           SetAt(config, EcuConfigBlock::boostInputs, k);
}

bool NitrousFlagAvailable(const EcuConfigBlock& config, size_t k) {
    return Set(config, EcuConfigBlock::nitrousEnabled) &&
           SetAt(config, EcuConfigBlock::nitrousFlags, k);
}

uint32_t AtTableType(const EcuConfigBlock& config, int c) {
    return config.Get(EcuConfigBlock::AtTableType(size_t(c - 267)));
}

}  // namespace

bool IsChannelAvailable(const EcuConfigBlock& config, int c) {
    using E = EcuConfigBlock;
    if (c <= 0 || c > kChannelCount) return false;
    if (c >= 379) return Set(config, E::OutputEnabled(size_t(c - 379)));
    if (c >= 299) return Set(config, E::InputEnabled(size_t(c - 299)));
    if (c >= 267)
        return Set(config, E::atEnabled) && Set(config, E::AtTableEnabled(size_t(c - 267)));

    const bool fuelMode1 = config.Get(E::fuelMode) == 1;
    const uint32_t cylinders = config.Get(E::cylinderCount);
    const bool boost = Set(config, E::boostEnabled);
    const uint32_t boostMode = config.Get(E::boostControlMode);
    const bool wm = Set(config, E::waterMethEnabled);
    const bool trans = Set(config, E::transEnabled);
    const bool dbw = Set(config, E::dbwEnabled);
    const bool at = Set(config, E::atEnabled);

    switch (c) {
        case 8:
        case 9:
            return config.Get(E::o2SensorCount) > 1;
        case 24:
        case 25:
            return config.Get(E::knockEnabled) > 0;
        case 26:
        case 28:
        case 128:
        case 129:
        case 130:
        case 159:
        case 160:
        case 216:
        case 217:
        case 218:
        case 219:
        case 231:
        case 232:
        case 242:
            return false;
        case 49:
            return Set(config, E::tccLockupEnabled) || trans;
        case 58:
            return fuelMode1;
        case 127:
            return true;
        case 131:
            return boost && (boostMode == 1 || boostMode == 2);
        case 132:
            return boost && boostMode == 4;
        case 134:
            return boost && boostMode == 3;
        case 135:
            return boost && (boostMode == 0 || boostMode == 1 || boostMode == 4);
        case 133:
        case 136:
        case 143:
        case 144:
        case 148:
        case 149:
            return boost;
        case 145:
            return BoostInputAvailable(config, 0);
        case 137:
            return BoostInputAvailable(config, 1);
        case 138:
            return BoostInputAvailable(config, 2);
        case 139:
            return BoostInputAvailable(config, 3);
        case 140:
            return BoostInputAvailable(config, 4);
        case 146:
            return BoostInputAvailable(config, 5);
        case 147:
            return BoostInputAvailable(config, 6);
        case 141:
            return BoostInputAvailable(config, 7);
        case 142:
            return BoostInputAvailable(config, 8);
        case 150:
        case 153:
        case 154:
        case 156:
        case 157:
            return wm;
        case 151:
            return wm && Set(config, E::wmManualEnableInput);
        case 152:
            return wm && Set(config, E::wmLowFluidInput);
        case 155:
        case 158:
            return wm && Set(config, E::wmSecondSolenoid);
        case 191:
            return NitrousFlagAvailable(config, 26);
        case 187:
            return NitrousFlagAvailable(config, 27);
        case 188:
            return NitrousFlagAvailable(config, 28);
        case 189:
        case 190:
            return Set(config, E::nitrousEnabled);
        case 228:
        case 229:
        case 230:
            return trans && SetAt(config, E::transInputs, size_t(c - 228));
        case 237:
        case 238:
        case 240:
            return dbw && Set(config, E::secondThrottleBody);
        case 263:
            return at && Set(config, E::atLaunchInput);
        case 264:
            return at && Set(config, E::atShiftInput);
        case 265:
            return at && Set(config, E::atManualResetInput);
        case 266:
            return at;
        default:
            break;
    }

    if (c >= 39 && c <= 48) return SetAt(config, E::outputEnables, size_t(c - 39));
    if (c >= 94 && c <= 109) return fuelMode1 && uint32_t(c - 94) < cylinders;
    if (c >= 110 && c <= 125) {
        const uint32_t type = config.Get(E::ignitionType);
        const uint32_t subType = config.Get(E::ignitionSubType);
        const bool qualifyingIgnition = IsOneOf(type, {4, 5, 7, 8, 10, 11, 12, 13, 14}) ||
                                        (type == 9 && IsOneOf(subType, {0, 3, 4, 5}));
        return fuelMode1 && uint32_t(c - 110) < cylinders && qualifyingIgnition;
    }
    // Stage n (1..8) of the four per-stage nitrous channel groups.
    if (c >= 161 && c <= 168) return NitrousFlagAvailable(config, size_t(c - 161));
    if (c >= 192 && c <= 199) return NitrousFlagAvailable(config, size_t(c - 192));
    if (c >= 200 && c <= 207) return NitrousFlagAvailable(config, size_t(c - 200));
    if (c >= 208 && c <= 215) return NitrousFlagAvailable(config, size_t(c - 208));
    if (c >= 169 && c <= 186) return NitrousFlagAvailable(config, size_t(c - 161));
    if (c >= 220 && c <= 227) return trans;
    if ((c >= 233 && c <= 236) || c == 239 || c == 241) return dbw;
    // 1-7, 10-23, 27, 29-38, 50-57, 59-93, 126, 243-262.
    return true;
}

float GetChannelMin(const LogData& log, int c) {
    if (c <= 0) return 0.0f;
    if (c <= 266) return GetChannelInfo(c).minimum;
    if (c <= 298)
        return GetTableTypeDescription(AtTableType(log.config, c),
                                       log.config.Get(EcuConfigBlock::boostTargetUnits))
            .minimum;
    return -10000.0f;
}

float GetChannelMax(const LogData& log, int c) {
    if (c <= 0) return 100.0f;
    // A NaN maximum is not "at most" the limit, so it selects the wider range.
    if (c == 2) return log.maxRpm <= 10000.0f ? 10000.0f : 20000.0f;
    if (c == 29 || c == 133) return log.maxMap <= 300.0f ? 300.0f : 999.0f;
    if (c <= 266) return GetChannelInfo(c).maximum;
    if (c <= 298)
        return GetTableTypeDescription(AtTableType(log.config, c),
                                       log.config.Get(EcuConfigBlock::boostTargetUnits))
            .maximum;
    return 100.0f;
}

ChannelAxisSetting DefaultAxisSetting(int c) {
    // An empty log: running maxima 0 and an all-zero configuration block. LogData holds 880
    // empty columns, so one shared instance is enough.
    static const LogData emptyLog{};
    ChannelAxisSetting setting;
    setting.autoscale = (c >= 0 && c <= 298 && GetChannelInfo(c).fixedScale == 1) ? 0 : 1;
    setting.minimum = GetChannelMin(emptyLog, c);
    setting.maximum = GetChannelMax(emptyLog, c);
    return setting;
}

}  // namespace quillon
