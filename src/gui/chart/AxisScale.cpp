#include "gui/chart/AxisScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon {

double NiceStep(double raw) {
    if (!std::isfinite(raw) || raw <= 0) return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / magnitude;
    // The nearest of 1, 2, 5 and 10 on a logarithmic scale.
    const double nice = f < 1.4142 ? 1 : f < 3.1623 ? 2 : f < 7.0711 ? 5 : 10;
    return nice * magnitude;
}

namespace {

/// v / scale with as many decimals as the resolution needs, trailing zeros dropped.
std::string Scaled(double v, double resolution, double scale, const char* suffix) {
    const double r = std::isfinite(resolution) && resolution > 0 ? resolution / scale : 1;
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(r) - 1e-9)), 0, 6);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v / scale);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s + suffix;
}

}  // namespace

std::string CompactNumber(double v, double resolution) {
    if (!std::isfinite(v)) return "-";
    if (std::abs(v) >= 1e9) {
        // Far beyond any channel's range (a hand-made axis setting): short in any case.
        char text[32];
        std::snprintf(text, sizeof text, "%.1e", v);
        return text;
    }
    std::string plain = Scaled(v, resolution, 1, "");
    if (std::abs(v) < 1000) return plain;
    // The suffixed form where it is no longer ("1.5k", "10k"; but "1234", not "1.234k").
    const std::string suffixed =
        std::abs(v) >= 1e6 ? Scaled(v, resolution, 1e6, "M") : Scaled(v, resolution, 1e3, "k");
    return suffixed.size() <= plain.size() ? suffixed : plain;
}

void RoundRange(double& lo, double& hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo)) return;
    const double step = NiceStep((hi - lo) / 10);
    const double a = std::floor(lo / step + 1e-9) * step;
    const double b = std::ceil(hi / step - 1e-9) * step;
    if (std::isfinite(a) && std::isfinite(b) && b > a) {
        lo = a;
        hi = b;
    }
}

}  // namespace quillon
