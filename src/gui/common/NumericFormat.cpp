#include "gui/common/NumericFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace quillon {

namespace {

constexpr int kMaxPrecision = 40;
constexpr int kMaxWidth = 64;

struct Conversion {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    char type = 0;
};

// Digits with no other digit than 0 before any exponent ("0", "0.000", "0.0e+00").
bool IsZeroText(std::string_view digits) {
    const size_t exponent = digits.find_first_of("eE");
    const std::string_view mantissa = digits.substr(0, exponent);
    return mantissa.find_first_of("123456789") == std::string_view::npos &&
           mantissa.find('0') != std::string_view::npos;
}

std::string Convert(const Conversion& c, double value) {
    char buf[512];
    std::to_chars_result r{buf, std::errc{}};
    char* end = buf + sizeof(buf);
    bool negative = std::signbit(value) && !std::isnan(value);
    double magnitude = std::fabs(value);
    std::string digits;
    if (!std::isfinite(value)) {
        digits = std::isnan(value) ? "nan" : "inf";
        if (c.type == 'F' || c.type == 'E' || c.type == 'G')
            std::transform(digits.begin(), digits.end(), digits.begin(), ::toupper);
    } else if (c.type == 'd' || c.type == 'i') {
        double t = std::trunc(magnitude);
        if (t > 9.2e18) t = 9.2e18;
        r = std::to_chars(buf, end, static_cast<long long>(t));
        digits.assign(buf, r.ptr);
        if (digits == "0") negative = false;
    } else {
        int precision = c.precision < 0 ? 6 : std::min(c.precision, kMaxPrecision);
        std::chars_format f = std::chars_format::fixed;
        if (c.type == 'e' || c.type == 'E') f = std::chars_format::scientific;
        if (c.type == 'g' || c.type == 'G') f = std::chars_format::general;
        if (f == std::chars_format::general && precision == 0) precision = 1;
        r = std::to_chars(buf, end, magnitude, f, precision);
        if (r.ec != std::errc{}) return {};
        digits.assign(buf, r.ptr);
        // A value printed as zero is shown unsigned: "-0.000" says nothing a reader can use.
        if (IsZeroText(digits)) negative = false;
        if (c.type == 'E' || c.type == 'G')
            std::transform(digits.begin(), digits.end(), digits.begin(), ::toupper);
    }
    std::string sign = negative ? "-" : c.plus ? "+" : c.space ? " " : "";
    int width = std::min(c.width, kMaxWidth);
    int pad = width - int(sign.size() + digits.size());
    if (pad <= 0) return sign + digits;
    if (c.left) return sign + digits + std::string(pad, ' ');
    if (c.zero && std::isfinite(value)) return sign + std::string(pad, '0') + digits;
    return std::string(pad, ' ') + sign + digits;
}

}  // namespace

QString FormatDouble(const QString& format, double value) {
    QString out;
    bool consumed = false;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        QChar ch = format[i];
        if (ch != u'%') {
            out += ch;
            ++i;
            continue;
        }
        if (i + 1 < n && format[i + 1] == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        // Parses flags, width, precision and length; gives up (printing literally) on anything
        // that would need a second argument.
        Conversion c;
        qsizetype j = i + 1;
        for (; j < n; ++j) {
            QChar f = format[j];
            if (f == u'-')
                c.left = true;
            else if (f == u'+')
                c.plus = true;
            else if (f == u' ')
                c.space = true;
            else if (f == u'0')
                c.zero = true;
            else if (f != u'#')
                break;
        }
        while (j < n && format[j].isDigit() && format[j].unicode() < 128) {
            c.width = std::min(c.width * 10 + (format[j].unicode() - '0'), 1000);
            ++j;
        }
        if (j < n && format[j] == u'.') {
            ++j;
            c.precision = 0;
            while (j < n && format[j].isDigit() && format[j].unicode() < 128) {
                c.precision = std::min(c.precision * 10 + (format[j].unicode() - '0'), 1000);
                ++j;
            }
        }
        while (j < n && (format[j] == u'l' || format[j] == u'L' || format[j] == u'h'))
            ++j;
        char type = j < n && format[j].unicode() < 128 ? char(format[j].unicode()) : 0;
        if (!consumed && type &&
            std::string_view("fFeEgGdi").find(type) != std::string_view::npos) {
            c.type = type;
            out += QString::fromLatin1(Convert(c, value));
            consumed = true;
            i = j + 1;
        } else {
            out += format.mid(i, std::min(j + 1, n) - i);
            i = std::min(j + 1, n);
        }
    }
    return out;
}

QString UnsignedZero(const QString& text) {
    // The first number of the text: a minus sign, then digits and at most one point.
    const qsizetype minus = text.indexOf(u'-');
    if (minus < 0) return text;
    qsizetype i = minus + 1;
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'0') {
            digit = true;
        } else if (ch == u'.' && !point) {
            point = true;
        } else if (ch >= u'1' && ch <= u'9') {
            return text;
        } else {
            break;
        }
    }
    if (!digit) return text;  // a lone "-" is the no-value marker's text
    // Whatever follows the zero (an exponent, a unit) stays.
    QString out = text;
    out.remove(minus, 1);
    return out;
}

double ParseLeadingNumber(const QString& text) {
    std::string s;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    auto at = [&](qsizetype k) { return k < n ? text[k].unicode() : 0; };
    if (at(i) == '-' || at(i) == '+') {
        if (at(i) == '-') s += '-';
        ++i;
    }
    size_t digits = 0;
    while (at(i) >= '0' && at(i) <= '9')
        s += char(at(i++)), ++digits;
    if (at(i) == '.') {
        s += '.';
        ++i;
        while (at(i) >= '0' && at(i) <= '9')
            s += char(at(i++)), ++digits;
    }
    if (digits == 0) return 0.0;
    if (at(i) == 'e' || at(i) == 'E') {
        std::string exp = "e";
        qsizetype k = i + 1;
        if (at(k) == '-' || at(k) == '+') exp += char(at(k++));
        if (at(k) >= '0' && at(k) <= '9') {
            while (at(k) >= '0' && at(k) <= '9')
                exp += char(at(k++));
            s += exp;
        }
    }
    const char* first = s.data();
    if (*first == '-') ++first;
    double v = 0.0;
    auto r = std::from_chars(first, s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        v = s.find("e-") != std::string::npos ? 0.0 : HUGE_VAL;
    else if (r.ec != std::errc{})
        return 0.0;
    return s[0] == '-' ? -v : v;
}

}  // namespace quillon
