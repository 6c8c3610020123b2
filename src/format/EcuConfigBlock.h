#pragma once
/// The 8492-byte snapshot of the ECU configuration that follows the header of a V4 log; it decides
/// which channels exist and how configurable channels are named. Field offsets are relative to
/// the block (file offset minus 7712).

#include "format/ByteRecord.h"

namespace quillon {

struct EcuConfigBlock : ByteRecord<8492> {
    static constexpr size_t kFileOffset = 7712;

    static constexpr U32Field boostEnabled{7712 - kFileOffset};
    static constexpr U32Field waterMethEnabled{7716 - kFileOffset};
    static constexpr U32Field nitrousEnabled{7720 - kFileOffset};
    static constexpr U32Field transEnabled{7724 - kFileOffset};
    static constexpr U32Field dbwEnabled{7732 - kFileOffset};
    static constexpr U32Field atEnabled{7740 - kFileOffset};
    static constexpr U32Field o2SensorCount{7752 - kFileOffset};
    static constexpr U32Field outputEnables{7756 - kFileOffset};  // u32[10]
    static constexpr U32Field tccLockupEnabled{7796 - kFileOffset};
    static constexpr U32Field knockEnabled{7808 - kFileOffset};
    static constexpr U32Field fuelMode{7812 - kFileOffset};
    static constexpr U32Field cylinderCount{7824 - kFileOffset};
    static constexpr U32Field ignitionType{7828 - kFileOffset};
    static constexpr U32Field ignitionSubType{7832 - kFileOffset};
    static constexpr U32Field boostControlMode{7852 - kFileOffset};
    static constexpr U32Field boostTargetUnits{7856 - kFileOffset};
    static constexpr U32Field boostInputs{7864 - kFileOffset};  // u32[9]
    static constexpr U32Field wmManualEnableInput{7920 - kFileOffset};
    static constexpr U32Field wmLowFluidInput{7924 - kFileOffset};
    static constexpr U32Field wmSecondSolenoid{7928 - kFileOffset};
    static constexpr U32Field nitrousFlags{7948 - kFileOffset};  // u32[29]
    static constexpr U32Field secondThrottleBody{8080 - kFileOffset};
    static constexpr U32Field transInputs{8100 - kFileOffset};  // u32[3]
    static constexpr U32Field atShiftInput{8128 - kFileOffset};
    static constexpr U32Field atLaunchInput{8132 - kFileOffset};
    static constexpr U32Field atManualResetInput{8136 - kFileOffset};

    /// `atTables`: 32 entries of 28 bytes for channels 267 to 298.
    static constexpr size_t atTablesOffset = 8140 - kFileOffset;
    static constexpr size_t kAtTableSize = 28;
    static constexpr size_t kAtTableCount = 32;
    static constexpr U32Field AtTableEnabled(size_t k) {
        return {atTablesOffset + kAtTableSize * k};
    }
    static constexpr TextField AtTableName(size_t k) {
        return {atTablesOffset + kAtTableSize * k + 4, 20};
    }
    static constexpr U32Field AtTableType(size_t k) {
        return {atTablesOffset + kAtTableSize * k + 24};
    }

    /// `inputChannels`: 80 entries of 56 bytes for channels 299 to 378.
    static constexpr size_t inputChannelsOffset = 9132 - kFileOffset;
    static constexpr size_t kInputSize = 56;
    static constexpr size_t kInputCount = 80;
    static constexpr TextField InputName(size_t k) {
        return {inputChannelsOffset + kInputSize * k, 20};
    }
    static constexpr U32Field InputKind(size_t k) {
        return {inputChannelsOffset + kInputSize * k + 20};
    }
    static constexpr U32Field InputEnabled(size_t k) {
        return {inputChannelsOffset + kInputSize * k + 24};
    }
    static constexpr TextField InputUnit(size_t k) {
        return {inputChannelsOffset + kInputSize * k + 40, 8};
    }
    static constexpr TextField InputFormat(size_t k) {
        return {inputChannelsOffset + kInputSize * k + 48, 8};
    }

    /// `outputChannels`: 62 entries of 36 bytes for channels 379 to 440.
    static constexpr size_t outputChannelsOffset = 13612 - kFileOffset;
    static constexpr size_t kOutputSize = 36;
    static constexpr size_t kOutputCount = 62;
    static constexpr TextField OutputName(size_t k) {
        return {outputChannelsOffset + kOutputSize * k, 20};
    }
    static constexpr U32Field OutputKind(size_t k) {
        return {outputChannelsOffset + kOutputSize * k + 20};
    }
    static constexpr U32Field OutputEnabled(size_t k) {
        return {outputChannelsOffset + kOutputSize * k + 24};
    }
    static constexpr U32Field OutputMode(size_t k) {
        return {outputChannelsOffset + kOutputSize * k + 32};
    }
};
static_assert(sizeof(EcuConfigBlock) == 8492);
static_assert(EcuConfigBlock::outputChannelsOffset + 62 * 36 <= 8492);

}  // namespace quillon
