#include "samplegen/SampleLog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/AtomicFile.h"
#include "texts/FailureText.h"
#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"

namespace quillon {

namespace {

uint64_t SplitMix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

/// Noise in [-1, 1) that depends only on the seed, the frame and a stream number.
double Noise(uint32_t seed, int64_t frame, int stream) {
    uint64_t h = SplitMix(SplitMix(uint64_t(seed) << 20 ^ uint64_t(stream)) ^ uint64_t(frame));
    return double(h >> 11) / double(1ull << 52) - 1.0;
}

/// Slowly varying noise: linear interpolation between random points every `period` frames.
double Drift(uint32_t seed, int64_t frame, int stream, int period) {
    int64_t k = frame / period;
    double f = double(frame % period) / period;
    return Noise(seed, k, stream + 1000) * (1 - f) + Noise(seed, k + 1, stream + 1000) * f;
}

double Quantize(double v, double step) {
    return std::round(v / step) * step;
}

/// The physical state of the car at time t (seconds) of the pass cycle.
struct PassState {
    double rpm;
    double tps;
    double map;    // kPa absolute
    double speed;  // mph
    int gear;
    bool transBrake;
    bool launched;
    double runTime;  // seconds since launch, 0 before
    int nitrousStages;
    double targetBoost;  // psig
    double pedal;
    bool coolingDown;
};

constexpr double kStageStart = 20.0;
constexpr double kLaunch = 26.0;
constexpr double kLift = 35.5;
constexpr double kIdleAgain = 44.0;
constexpr double kGearRatio[5] = {0, 2.48, 1.48, 1.10, 1.00};
constexpr double kShiftSpeed[4] = {0, 62.0, 104.0, 140.0};  // upshift from gear g at this speed
// Final drive and tyre size folded into one factor.
constexpr double kRpmPerMph = 48.8;

double RunSpeed(double runTime) {
    return 178.0 * (1.0 - std::exp(-runTime / 5.2));
}

int GearForSpeed(double speed) {
    int g = 1;
    while (g < 4 && speed >= kShiftSpeed[g])
        ++g;
    return g;
}

/// Engine speed from road speed and gear; the converter holds at least `stall` RPM.
double EngineRpm(double speed, int gear, double stall = 0) {
    return std::max(stall, speed * kGearRatio[gear] * kRpmPerMph);
}

PassState StateAt(double t) {
    PassState s{};
    s.gear = 1;
    s.rpm = 850;
    s.map = 34;
    s.tps = 1.5;
    if (t >= kStageStart && t < kLaunch) {
        double k = std::min(1.0, (t - kStageStart) / 2.5);
        s.transBrake = true;
        s.tps = 20 + 80 * k;
        s.pedal = s.tps;
        s.rpm = 850 + (3900 - 850) * k;
        s.map = 34 + (165 - 34) * std::min(1.0, (t - kStageStart) / 4.5);
        s.targetBoost = 12;
    } else if (t >= kLaunch && t < kLift) {
        s.launched = true;
        s.runTime = t - kLaunch;
        s.speed = RunSpeed(s.runTime);
        s.gear = GearForSpeed(s.speed);
        s.rpm = std::min(7950.0, EngineRpm(s.speed, s.gear, s.gear == 1 ? 4800 : 0));
        s.tps = 100;
        s.pedal = 100;
        s.targetBoost = 14.0 + 4.0 * s.gear;
        double boostPsi = s.targetBoost * (1.0 - std::exp(-s.runTime / 0.6));
        s.map = 101.3 + boostPsi * 6.895;
        s.nitrousStages = s.runTime > 3.0 ? 3 : s.runTime > 1.2 ? 2 : s.runTime > 0.3 ? 1 : 0;
    } else if (t >= kLift && t < kIdleAgain) {
        double d = t - kLift;
        s.coolingDown = true;
        s.speed = RunSpeed(kLift - kLaunch) * std::exp(-d / 3.0);
        s.gear = GearForSpeed(s.speed);
        s.rpm = std::max(850.0, 1300 + (EngineRpm(s.speed, s.gear) - 1300) * std::exp(-d / 0.8));
        s.map = 28 + 6 * (1 - std::exp(-d));
        s.tps = 0;
    } else if (t >= kIdleAgain) {
        double d = t - kLift;
        s.speed = std::max(0.0, RunSpeed(kLift - kLaunch) * std::exp(-d / 3.0) - (t - kIdleAgain));
        s.gear = GearForSpeed(s.speed);
    }
    return s;
}

class FrameWriter {
public:
    explicit FrameWriter(uint8_t* frame) : m_frame(frame) {}
    void Put(int channel, double value, uint32_t status = 0) {
        uint8_t* p = m_frame + 8 * size_t(channel - 1);
        StoreF32(p, float(value));
        StoreU32(p + 4, status);
    }

private:
    uint8_t* m_frame;
};

void FillFeatures(const SampleLogOptions& o, DataLogHeader& h, EcuConfigBlock& c) {
    using H = DataLogHeader;
    using C = EcuConfigBlock;
    // Not interpreted bytes carry a pattern, so that round trips prove they are preserved.
    for (size_t i = 0; i < 12; ++i)
        h.bytes[H::reserved12Offset + i] = uint8_t(0xA0 + i);
    for (size_t i = 544; i < 800; ++i)
        h.bytes[i] = uint8_t(i * 7 + o.seed);
    char notes[128];
    std::snprintf(notes, sizeof notes, "Generated drag pass, seed %u, %d frames at %g Hz", o.seed,
                  o.frames, o.rate);
    h.Set(H::notes, notes);
    // Whatever an editor left behind the terminator is carried too.
    std::memcpy(h.bytes.data() + H::notes.offset + 400, "stale text", 10);
    h.Set(H::logDate, 0x20260101);
    h.Set(H::globalFile, "C:\\Tunes\\race_car_v3.gbl");
    h.Set(H::firmwareVersion, 0x04020011);
    h.Set(H::ecuSerial, 180000 + o.seed);
    h.Set(H::dragTrack, "Quillon Dragway");
    h.Set(H::dragLane, "Left");
    h.Set(H::dragRound, "E2");
    h.Set(H::reactionTime, 0.512f);
    h.Set(H::time60ft, 1.152f);
    h.Set(H::time330ft, 3.251f);
    h.Set(H::time660ft, 5.013f);
    h.Set(H::speed660ft, 138.4f);
    h.Set(H::time1000ft, 6.482f);
    h.Set(H::time1320ft, 7.821f);
    h.Set(H::speed1320ft, 172.3f);
    h.Set(H::dynoRecord, "Chassis dyno pull 3");
    h.Set(H::dynoRunNumber, 3.0f);
    h.Set(H::dynoGear, 3.0f);
    h.Set(H::maxTorque, 812.5f);
    h.Set(H::maxTorqueRpm, 5400.0f);
    h.Set(H::maxPower, 980.2f);
    h.Set(H::maxPowerRpm, 7200.0f);
    h.Set(H::baroAbsolute, 29.92f);
    h.Set(H::baroCorrected, 29.85f);
    h.Set(H::altitude, 620.0f);
    h.Set(H::airTemperature, 71.5f);
    h.Set(H::humidityRelative, 42.0f);
    h.Set(H::humidityGrains, 47.0f);
    h.Set(H::dewpoint, 47.2f);
    h.Set(H::correctedAltitude, 810.0f);
    h.Set(H::densityAltitude, 1450.0f);
    h.Set(H::windSpeed, 4.5f);
    h.Set(H::windBearing, "NNW");
    h.Set(H::trackTemperature, 104.0f);
    h.Set(H::weightLeftFront, 812.0f);
    h.Set(H::weightRightFront, 790.0f);
    h.Set(H::weightLeftRear, 705.0f);
    h.Set(H::weightRightRear, 731.0f);
    h.Set(H::tires, "33x10.5 radial");
    h.Set(H::tirePressureLeftFront, 28.0f);
    h.Set(H::tirePressureRightFront, 28.0f);
    h.Set(H::tirePressureLeftRear, 14.5f);
    h.Set(H::tirePressureRightRear, 14.5f);
    h.Set(H::misc1Description, "Converter and gearing");
    h.SetAt(H::misc1Parameter, 0, "Converter");
    h.SetAt(H::misc1Information, 0, "10 inch, 4800 stall");
    h.SetAt(H::misc1Parameter, 1, "Rear gear");
    h.SetAt(H::misc1Information, 1, "3.73");
    h.Set(H::misc2Description, "Fuel");
    h.SetAt(H::misc2Parameter, 0, "Fuel");
    h.SetAt(H::misc2Information, 0, "E85, 3 gallons");

    c.Set(C::boostEnabled, 1);
    c.Set(C::nitrousEnabled, 1);
    c.Set(C::transEnabled, 1);
    c.Set(C::dbwEnabled, 1);
    c.Set(C::atEnabled, 1);
    c.Set(C::o2SensorCount, 2);
    for (int k : {0, 2, 3, 6, 7, 8})
        c.SetAt(C::outputEnables, k, 1);  // 39, 41, 42, 45, 46, 47
    c.Set(C::tccLockupEnabled, 1);
    c.Set(C::knockEnabled, 1);
    c.Set(C::fuelMode, 1);
    c.Set(C::cylinderCount, 8);
    c.Set(C::ignitionType, 4);
    c.Set(C::boostControlMode, 1);  // by gear: "Boost Gear" and "Boost Time"
    c.Set(C::boostTargetUnits, 0);
    for (int k : {0, 1, 8})
        c.SetAt(C::boostInputs, k, 1);  // 145, 137, 142
    for (int k : {0, 1, 2, 16, 17})
        c.SetAt(C::nitrousFlags, k, 1);  // stages 1-3, 177, 178
    c.SetAt(C::transInputs, 0, 1);       // 228
    c.Set(C::atLaunchInput, 1);          // 263

    struct Table {
        int entry;
        const char* name;
        uint32_t type;
    };
    const Table tables[] = {{0, "Launch Fuel", 0},      {1, "Launch Timing", 4},
                            {8, "Boost By Speed", 11},  {9, "N2O 1 By Time", 12},
                            {16, "Cyl 1 Tmg Gear", 21}, {24, "Fuel By Gear", 3},
                            {25, "Experimental", 60},   {26, "Unused table", 5}};
    for (const Table& t : tables) {
        c.Set(C::AtTableEnabled(size_t(t.entry)), t.entry == 26 ? 0 : 1);
        c.Set(C::AtTableName(size_t(t.entry)), t.name);
        c.Set(C::AtTableType(size_t(t.entry)), t.type);
    }

    struct Input {
        int entry;
        const char* name;
        uint32_t kind;
        uint32_t enabled;
        const char* unit;
        const char* format;
    };
    const Input inputs[] = {{0, "Fuel Level", 0x01, 1, "%", "%.0f"},
                            {1, "Shock Travel LF", 0x01, 1, "in", "%.2f "},
                            {2, "Driveshaft RPM", 0x01, 1, "RPM", "%.0f "},
                            {3, "Line Lock", 0x18, 1, "V", "%.2f"},
                            {4, "EGT Cyl 1", 0x01, 1,
                             "\xB0"
                             "F",
                             "%.0f"},
                            {5, "", 0x01, 1, "Volts", "%.2f "},
                            {6, "Spare Input", 0x01, 0, "V", "%.1f"}};
    for (const Input& in : inputs) {
        size_t k = size_t(in.entry);
        c.Set(C::InputName(k), in.name);
        c.Set(C::InputKind(k), in.kind);
        c.Set(C::InputEnabled(k), in.enabled);
        c.Set(C::InputUnit(k), in.unit);
        c.Set(C::InputFormat(k), in.format);
    }

    struct Output {
        int entry;
        const char* name;
        uint32_t kind;
        uint32_t mode;
    };
    const Output outputs[] = {{0, "Water Pump", 0x001, 0},
                              {1, "Shift Light", 0x000, 0},
                              {2, "Aux Injector", 0x200, 0},
                              {3, "Intercooler Fan", 0x400, 1},
                              {4, "", 0x000, 0}};
    for (const Output& out : outputs) {
        size_t k = size_t(out.entry);
        c.Set(C::OutputName(k), out.name);
        c.Set(C::OutputKind(k), out.kind);
        c.Set(C::OutputEnabled(k), 1);
        c.Set(C::OutputMode(k), out.mode);
    }
}

}  // namespace

void FillSampleHeader(const SampleLogOptions& options, DataLogHeader& header,
                      EcuConfigBlock& config) {
    header.bytes.fill(0);
    config.bytes.fill(0);
    header.Set(DataLogHeader::magic, DataLogHeader::kMagic);
    header.Set(DataLogHeader::versionMajor, 0);
    header.Set(DataLogHeader::versionMinor, 4);
    header.Set(DataLogHeader::zeroTime, options.zeroTime);
    if (options.allFeatures) FillFeatures(options, header, config);
}

uint64_t SampleFrameTimestamp(const SampleLogOptions& options, int64_t index) {
    double rate = options.rate > 0 ? options.rate : 100.0;
    return options.startTimestamp + uint64_t(std::llround(double(index) * 1000.0 / rate));
}

void FillSampleFrame(const SampleLogOptions& options, int64_t index, uint8_t* frame) {
    std::memset(frame, 0, kFrameSize);
    StoreU64(frame, SampleFrameTimestamp(options, index));

    // Now and then the logger repeats the previous sample: same values, new timestamp.
    int64_t sample = (index % 97 == 50 || index % 97 == 51) ? index - (index % 97 - 49) : index;
    double rate = options.rate > 0 ? options.rate : 100.0;
    double elapsed = double(sample) / rate;
    double t = std::fmod(elapsed, kSamplePassSeconds);
    const uint32_t seed = options.seed;
    auto noise = [&](int stream) { return Noise(seed, sample, stream); };
    auto drift = [&](int stream) { return Drift(seed, sample, stream, int(rate) + 1); };
    PassState s = StateAt(t);
    FrameWriter w(frame);

    double rpm = Quantize(s.rpm + noise(2) * (s.launched ? 25 : 12), 1);
    bool revLimit = s.launched && s.rpm >= 7900;
    w.Put(2, rpm, revLimit ? 45 : 0);
    double load = std::clamp(s.map / 101.3, 0.2, 3.0);
    double injPw = Quantize(1.8 + 7.5 * load + noise(3) * 0.05, 0.01);
    w.Put(3, injPw);
    w.Put(4, Quantize(std::min(100.0, injPw * rpm / 1200.0), 0.1));
    double target = s.launched || s.transBrake ? 11.5 : 14.7;
    w.Put(6, target);
    bool warm = elapsed > 2.0;
    uint32_t o2Status = warm ? 4 : 3;  // "Active", "Heating"
    double afrL = Quantize(target + drift(7) * 0.35 + noise(7) * 0.08, 0.1);
    double afrR = Quantize(target + drift(8) * 0.35 + noise(8) * 0.08, 0.1);
    w.Put(7, afrL, o2Status);
    w.Put(8, afrR, o2Status);
    w.Put(9, Quantize((afrL + afrR) / 2, 0.1), o2Status);
    bool closedLoop = !s.launched && !s.transBrake && warm;
    w.Put(5, closedLoop ? Quantize(100 + drift(5) * 4, 1) : 100);
    w.Put(10, Quantize(100 + drift(10) * 2, 0.1));
    w.Put(11, 100);
    w.Put(13, elapsed < 30 ? Quantize(100 + 25 * std::exp(-elapsed / 8), 0.1) : 100);
    w.Put(14, Quantize(drift(14) * 3, 1));
    w.Put(15, closedLoop ? 1 : 0, closedLoop ? 39 : 38);  // "CloseLp", "OpenLp"
    w.Put(16, closedLoop ? 1 : 0, closedLoop ? 41 : 40);  // "Learng ", "NoLearn"
    double fuelFlow = Quantize(injPw * rpm * 8 / 120.0 * 0.09, 0.1);
    w.Put(17,
          s.speed > 1 ? Quantize(std::min(99.0, s.speed / std::max(fuelFlow, 1.0) * 6), 0.1) : 0);
    w.Put(18, fuelFlow);
    w.Put(19, s.launched && s.runTime < 1 ? 45 : 0);
    w.Put(20, s.transBrake && t - kStageStart < 2.5 ? 32 : 0);
    double timing = s.launched ? 24 - 1.5 * s.gear : s.transBrake ? 12 : 18;
    double knock = s.launched && s.runTime > 6.0 && s.runTime < 6.4 ? 3 : 0;
    w.Put(23, Quantize(timing - knock + noise(23) * 0.2, 0.1));
    w.Put(24, knock, knock > 0 ? 52 : 0);  // "Retard "
    w.Put(25, Quantize(knock * 20 + std::abs(noise(25)) * 4, 1));
    w.Put(27, s.launched || s.transBrake ? 0 : Quantize(32 + drift(27) * 3, 1));
    w.Put(29, Quantize(s.map + noise(29) * 0.8, 1));
    w.Put(30, Quantize(s.tps, 1));
    w.Put(31, Quantize(82 + 6 * drift(31) + (s.launched ? -8 : 0), 1));
    w.Put(32, Quantize(178 + 4 * std::sin(elapsed / 40), 1));
    w.Put(33, 100.5);
    w.Put(34, Quantize(13.9 + drift(34) * 0.2 - (s.launched ? 0.4 : 0), 0.1));
    w.Put(35, Quantize(25 + rpm / 110.0, 1));
    w.Put(36, Quantize(43 + (s.map - 100) * 0.145, 1));
    w.Put(37, Quantize(s.pedal, 1));
    w.Put(38, revLimit ? 1 : 0);
    w.Put(39, s.transBrake && s.rpm > 3850 ? 1 : 0);  // two-step
    w.Put(41, 0);
    w.Put(42, s.launched && s.runTime < 0.8 ? 4 : 0);
    w.Put(45, elapsed > 10 ? 1 : 0);
    w.Put(46, s.launched || s.coolingDown ? 1 : 0);
    w.Put(47, s.launched || s.transBrake ? 1 : 0);
    w.Put(49, s.launched && s.gear == 4 ? 1 : 0);
    bool oilWarning = s.launched && s.runTime > 8.0 && s.runTime < 8.2;
    w.Put(50, oilWarning ? 1 : 0, oilWarning ? 49 : 0);  // "Warng! "
    w.Put(52, Quantize(fuelFlow * 0.9, 0.001));
    w.Put(53, Quantize(80 + 20 * load, 0.001));
    w.Put(54, timing);
    w.Put(55, target);
    w.Put(56, 3.5);
    w.Put(57, Quantize(3.5 + drift(57) * 0.3, 0.1));
    w.Put(58, 0);  // "Inj End Angle" is configured per cylinder; the logger reports offsets
    w.Put(59, Quantize(elapsed, 0.1));
    w.Put(60, Quantize(-drift(60) * 1.5, 0.1));
    w.Put(61, 0);
    for (int c = 70; c < 78; ++c)
        w.Put(c, Quantize(fuelFlow / 8 * (1 + noise(c) * 0.01), 0.1));
    for (int c = 82; c < 90; ++c)
        w.Put(c, Quantize(injPw * (1 + noise(c) * 0.005), 0.01));
    for (int c = 94; c < 102; ++c)
        w.Put(c, Quantize(drift(c) * 3, 0.1));
    for (int c = 110; c < 118; ++c)
        w.Put(c, c == 113 && knock > 0 ? -2 : 0);
    double boostPsi = std::max(0.0, (s.map - 101.3) / 6.895);
    w.Put(127, Quantize(boostPsi, 0.1));
    w.Put(131, s.launched ? s.gear : 0);
    w.Put(133, Quantize(boostPsi, 0.1));
    w.Put(135, Quantize(s.runTime, 0.01));
    w.Put(136, s.targetBoost);
    w.Put(137, s.transBrake ? 1 : 0);
    w.Put(142, s.transBrake ? 1 : 0);
    w.Put(143, s.launched ? Quantize(35 + 10 * s.gear + noise(143) * 2, 0.1) : 0);
    w.Put(144, 0);
    w.Put(145, 1);
    w.Put(148, s.launched ? 60 : 0);
    w.Put(149, s.coolingDown ? 100 : 0);
    for (int n = 1; n <= 3; ++n) {
        bool on = s.nitrousStages >= n;
        w.Put(160 + n, on ? 100 : 0);
        w.Put(191 + n, on ? 40.0 * n : 0);
        w.Put(199 + n, on ? 2.0 * n : 0);
        w.Put(207 + n, on ? Quantize(s.runTime, 0.01) : 0);
    }
    w.Put(177, s.launched || s.transBrake ? 1 : 0);
    w.Put(178, s.transBrake ? 1 : 0);
    w.Put(189, 0);
    w.Put(190, 0);
    w.Put(220, s.gear);
    w.Put(221, Quantize(s.speed, 0.1));
    w.Put(222, s.launched ? 85 : 40);
    w.Put(223, Quantize(s.speed * kGearRatio[s.gear] * kRpmPerMph * 0.97, 1));
    w.Put(224, s.launched ? 75 : 30);
    w.Put(225, s.launched && s.gear == 4 ? 100 : 0);
    w.Put(226, Quantize(165 + 10 * std::sin(elapsed / 50), 1));
    w.Put(227, s.launched ? 0.25 : 0);
    w.Put(228, 0);
    double tbVolts = 0.5 + s.tps * 0.04;
    w.Put(233, Quantize(tbVolts, 0.01));
    w.Put(234, Quantize(4.5 - s.tps * 0.04, 0.01));
    w.Put(235, Quantize(0.5 + s.pedal * 0.04, 0.01));
    w.Put(236, Quantize(4.5 - s.pedal * 0.04, 0.01));
    w.Put(239, Quantize(s.tps, 1));
    w.Put(241, s.transBrake ? 1 : 0);
    for (int c = 243; c < 247; ++c)
        w.Put(c, Quantize(noise(c) * 10, 0.01));
    w.Put(263, t >= kLaunch - 0.2 && t < kLaunch ? 1 : 0);
    w.Put(266, s.launched ? s.gear : 0);
    w.Put(267, s.launched ? Quantize(12 - s.runTime, 0.001) : 0);
    w.Put(268, s.launched ? -2 : 0);
    w.Put(275, s.launched ? Quantize(s.speed / 20, 1) : 0);
    w.Put(276, s.nitrousStages >= 1 ? 5 : 0);
    w.Put(283, s.launched && s.gear == 1 ? -1.5 : 0);
    w.Put(291, s.launched ? 2.0 * s.gear : 0);
    w.Put(292, 50);
    w.Put(299, Quantize(62 - elapsed * 0.01, 1));
    w.Put(300,
          Quantize(2.1 + (s.launched ? -0.4 * std::exp(-s.runTime) : 0) + noise(300) * 0.02, 0.01));
    w.Put(301, Quantize(s.speed * kRpmPerMph, 1));
    w.Put(302, s.transBrake ? 1 : 0);
    w.Put(303, Quantize(900 + (s.launched ? 550 : s.transBrake ? 300 : 0) + drift(303) * 20, 1));
    w.Put(304, Quantize(2.5 + drift(304), 0.01));
    w.Put(379, 1);
    w.Put(380, s.launched && rpm > 7600 ? 1 : 0);
    w.Put(381, s.nitrousStages >= 2 ? 4.5 : 0);
    w.Put(382, s.coolingDown ? 100 : 0);
    w.Put(383, 0);
}

std::vector<uint8_t> GenerateV4Bytes(const SampleLogOptions& options) {
    int frames = std::max(0, options.frames);
    int tail = std::clamp(options.trailingBytes, 0, int(kFrameSize) - 1);
    std::vector<uint8_t> bytes(kFramesOffset + kFrameSize * size_t(frames) + size_t(tail));
    DataLogHeader header;
    EcuConfigBlock config;
    FillSampleHeader(options, header, config);
    std::memcpy(bytes.data(), header.bytes.data(), header.kSize);
    std::memcpy(bytes.data() + header.kSize, config.bytes.data(), config.kSize);
    for (int i = 0; i < frames; ++i)
        FillSampleFrame(options, i, bytes.data() + kFramesOffset + kFrameSize * size_t(i));
    if (tail > 0) {
        uint8_t frame[kFrameSize];
        FillSampleFrame(options, frames, frame);
        std::memcpy(bytes.data() + kFramesOffset + kFrameSize * size_t(frames), frame,
                    size_t(tail));
    }
    return bytes;
}

namespace {

/// Produces the .dl bytes of a sample log block by block and hands each block to `sink`.
template <class Sink>
bool StreamSampleBytes(const SampleLogOptions& options, Sink&& sink) {
    DataLogHeader header;
    EcuConfigBlock config;
    FillSampleHeader(options, header, config);
    if (!sink(header.bytes.data(), header.kSize)) return false;
    if (!sink(config.bytes.data(), config.kSize)) return false;
    constexpr int kBlock = 512;
    std::vector<uint8_t> block(kFrameSize * kBlock);
    int frames = std::max(0, options.frames);
    for (int first = 0; first < frames; first += kBlock) {
        int n = std::min(kBlock, frames - first);
        for (int i = 0; i < n; ++i)
            FillSampleFrame(options, first + i, block.data() + kFrameSize * size_t(i));
        if (!sink(block.data(), kFrameSize * size_t(n))) return false;
    }
    int tail = std::clamp(options.trailingBytes, 0, int(kFrameSize) - 1);
    if (tail > 0) {
        FillSampleFrame(options, frames, block.data());
        if (!sink(block.data(), size_t(tail))) return false;
    }
    return true;
}

}  // namespace

bool WriteSampleLog(const std::string& path, const SampleLogOptions& options, std::string* error) {
    AtomicFile file(path);
    bool ok =
        file.Open() &&
        StreamSampleBytes(options, [&](const uint8_t* p, size_t n) { return file.Write(p, n); }) &&
        file.Commit();
    if (!ok && error) *error = FailureText(file.Failure());
    return ok;
}

bool WriteSampleDlz(const std::string& path, const SampleLogOptions& options, std::string* error) {
    AtomicFile file(path);
    DlzEncoder encoder;
    std::vector<uint8_t> out;
    bool ok = file.Open() && StreamSampleBytes(options, [&](const uint8_t* p, size_t n) {
                  out.clear();
                  encoder.Feed(p, n, out);
                  return file.Write(out.data(), out.size());
              });
    if (ok) {
        out.clear();
        encoder.Finish(out);
        ok = file.Write(out.data(), out.size()) && file.Commit();
    }
    if (!ok && error) *error = FailureText(file.Failure());
    return ok;
}

std::vector<uint8_t> EncodeDlz(const std::vector<uint8_t>& dlBytes) {
    std::vector<uint8_t> out;
    out.reserve(dlBytes.size() / 2 + 16);
    DlzEncoder encoder;
    encoder.Feed(dlBytes.data(), dlBytes.size(), out);
    encoder.Finish(out);
    return out;
}

void DlzEncoder::Feed(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < size; ++i) {
        m_word[m_wordFill++] = data[i];
        if (m_wordFill == 4) {
            // The decoder flips words before expanding, so the encoder sees them flipped too.
            for (int b = 3; b >= 0; --b)
                PutRle(m_word[b], out);
            m_wordFill = 0;
        }
    }
}

void DlzEncoder::Finish(std::vector<uint8_t>& out) {
    FlushRun(out);
    // Escapes with count 0 expand to nothing: k of them (3k bytes) fill the last word.
    int needed = (4 - m_outFill) % 4;
    int escapes = (needed * 3) % 4;
    for (int k = 0; k < escapes; ++k) {
        Emit(0xFF, out);
        Emit(0x00, out);
        Emit(0x00, out);
    }
    m_wordFill = 0;
}

void DlzEncoder::PutRle(uint8_t byte, std::vector<uint8_t>& out) {
    if (byte == m_runByte && m_runLength < 255) {
        ++m_runLength;
        return;
    }
    FlushRun(out);
    m_runByte = byte;
    m_runLength = 1;
}

void DlzEncoder::FlushRun(std::vector<uint8_t>& out) {
    if (m_runByte < 0) return;
    if (m_runByte == 0xFF || m_runLength >= 4) {
        Emit(0xFF, out);
        Emit(uint8_t(m_runLength), out);
        Emit(uint8_t(m_runByte), out);
    } else {
        for (int i = 0; i < m_runLength; ++i)
            Emit(uint8_t(m_runByte), out);
    }
    m_runByte = -1;
    m_runLength = 0;
}

void DlzEncoder::Emit(uint8_t byte, std::vector<uint8_t>& out) {
    m_outWord[m_outFill++] = byte;
    if (m_outFill == 4) {
        out.insert(out.end(), {m_outWord[3], m_outWord[2], m_outWord[1], m_outWord[0]});
        m_outFill = 0;
    }
}

std::unique_ptr<LogData> GenerateSampleColumns(const SampleLogOptions& options) {
    auto log = std::make_unique<LogData>();
    const int frames = std::max(options.frames, 0);
    FillSampleHeader(options, log->header, log->config);
    log->frameCount = frames;
    log->firstTimestamp = SampleFrameTimestamp(options, 0);
    for (int s = 0; s < kSlotCount; ++s) {
        log->values[s].Allocate(size_t(frames) + 1);
        log->status[s].Allocate(size_t(frames) + 1);
        log->values[s][size_t(frames)] = 0.0f;
        log->status[s][size_t(frames)] = 0;
    }
    std::vector<uint8_t> frame(kFrameSize);
    for (int i = 0; i < frames; ++i) {
        FillSampleFrame(options, i, frame.data());
        const uint64_t ms = LoadU64(frame.data()) - log->firstTimestamp;
        log->values[0][size_t(i)] = float(double(ms) / 1000.0 - double(options.zeroTime));
        log->status[0][size_t(i)] = 0;
        for (int s = 1; s < kSlotCount; ++s) {
            log->values[s][size_t(i)] = LoadF32(frame.data() + 8 * size_t(s));
            log->status[s][size_t(i)] = LoadU32(frame.data() + 8 * size_t(s) + 4);
        }
    }
    return log;
}

}  // namespace quillon
