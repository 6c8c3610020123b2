#pragma once
/// The 7712-byte header at the start of a V4 log: magic, version, notes, zero time and the log's
/// properties. Offsets are file offsets.

#include "format/ByteRecord.h"

namespace quillon {

struct DataLogHeader : ByteRecord<7712> {
    static constexpr uint32_t kMagic = 0x0085F41F;

    static constexpr U32Field magic{0};
    static constexpr U32Field versionMajor{4};
    static constexpr U32Field versionMinor{8};
    static constexpr size_t reserved12Offset = 12;  // 12 bytes, not interpreted
    static constexpr U32Field reserved24{24};
    static constexpr TextField notes{28, 512};
    static constexpr F32Field zeroTime{540};
    static constexpr U32Field logDate{800};
    static constexpr TextField globalFile{804, 260};
    static constexpr U32Field firmwareVersion{1064};
    static constexpr U32Field ecuSerial{1068};
    static constexpr TextField dragTrack{1200, 20};
    static constexpr TextField dragLane{1220, 8};
    static constexpr TextField dragRound{1228, 8};
    static constexpr F32Field reactionTime{1236};
    static constexpr F32Field time60ft{1240};
    static constexpr F32Field time330ft{1244};
    static constexpr F32Field time660ft{1248};
    static constexpr F32Field speed660ft{1252};
    static constexpr F32Field time1000ft{1256};
    static constexpr F32Field time1320ft{1260};
    static constexpr F32Field speed1320ft{1264};
    static constexpr TextField dynoRecord{1396, 48};
    static constexpr F32Field dynoRunNumber{1444};
    static constexpr F32Field dynoGear{1448};
    static constexpr F32Field maxTorque{1452};
    static constexpr F32Field maxTorqueRpm{1456};
    static constexpr F32Field maxPower{1460};
    static constexpr F32Field maxPowerRpm{1464};
    static constexpr F32Field baroAbsolute{1596};
    static constexpr F32Field baroCorrected{1600};
    static constexpr F32Field altitude{1604};
    static constexpr F32Field airTemperature{1608};
    static constexpr F32Field humidityRelative{1612};
    static constexpr F32Field humidityGrains{1616};
    static constexpr F32Field dewpoint{1620};
    static constexpr F32Field correctedAltitude{1624};
    static constexpr F32Field densityAltitude{1628};
    static constexpr F32Field windSpeed{1632};
    static constexpr TextField windBearing{1636, 4};
    static constexpr F32Field trackTemperature{1640};
    static constexpr F32Field weightLeftFront{1776};
    static constexpr F32Field weightRightFront{1780};
    static constexpr F32Field weightLeftRear{1784};
    static constexpr F32Field weightRightRear{1788};
    static constexpr TextField tires{1792, 16};
    static constexpr F32Field tirePressureLeftFront{1808};
    static constexpr F32Field tirePressureRightFront{1812};
    static constexpr F32Field tirePressureLeftRear{1816};
    static constexpr F32Field tirePressureRightRear{1820};
    static constexpr TextField misc1Description{1952, 64};
    static constexpr TextField misc1Parameter{2016, 32};    // 8 cells
    static constexpr TextField misc1Information{2272, 64};  // 8 cells
    static constexpr TextField misc2Description{2784, 64};
    static constexpr TextField misc2Parameter{2848, 32};    // 8 cells
    static constexpr TextField misc2Information{3104, 64};  // 8 cells
};
static_assert(sizeof(DataLogHeader) == 7712);

}  // namespace quillon
