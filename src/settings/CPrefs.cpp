#include "settings/CPrefs.h"

#include <charconv>
#include <climits>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "settings/IniFile.h"
#include "platform/FileSystem.h"

namespace quillon {

namespace {

constexpr char kGeneral[] = "General";
constexpr char kDatalog[] = "Datalog";
constexpr char kChassis[] = "Datalog-Chassis";
constexpr size_t kMaxText = 259;  // a 260-character buffer with its terminator

std::string FormatFixed(double value, int decimals) {
    // to_chars does not depend on the process locale, unlike printf (the GUI sets one).
    char buffer[400];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

/// Leading decimal number of a text, 0.0 when there is none (atof without the locale).
double ParseLeadingDouble(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    // from_chars takes a leading '-' itself but no '+'.
    if (i < s.size() && s[i] == '+') {
        ++i;
        if (i < s.size() && s[i] == '-') return 0.0;
    }
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(s.data() + i, s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched on overflow; atof gives infinity or zero.
        std::string digits(s.substr(i));
        value = std::strtod(digits.c_str(), nullptr);
    } else if (ec != std::errc()) {
        return 0.0;
    }
    (void)ptr;
    return value;
}

/// Leading decimal integer of a text, 0 when there is none; saturates at the int range.
int ParseLeadingInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

std::string MiscSection(int page) {
    return "Datalog-Misc" + std::to_string(page);
}

}  // namespace

CPrefs::CPrefs(std::string documentsFolder, bool readOnly) : m_readOnly(readOnly) {
    if (!documentsFolder.empty()) {
        if (documentsFolder.back() != '/') documentsFolder += '/';
        m_appFolder = documentsFolder + "Brenmor/Quillon/";
        // Created when missing: otherwise every preference and every automatic save of the
        // display setup would be lost without a word on a fresh machine.
        std::error_code ec;
        if (!readOnly) std::filesystem::create_directories(fs::PathOf(GetDataLogFolder()), ec);
        if (!readOnly) std::filesystem::create_directories(fs::PathOf(GetConfigFolder()), ec);
    }
    m_path = m_appFolder + "QuillonLogViewer.ini";
    m_pressureIsPsi = ReadBool(kGeneral, "PressureIsPSI", false);
}

CPrefs::~CPrefs() {
    if (!m_readOnly) WriteBool(kGeneral, "PressureIsPSI", m_pressureIsPsi);
}

std::string CPrefs::GetDataLogFolder() const {
    return m_appFolder + "Data Logs";
}
std::string CPrefs::GetConfigFolder() const {
    return m_appFolder + "Data Log Configs";
}
std::string CPrefs::GetDefaultConfigFile() const {
    return GetConfigFolder() + "/default_datalog.graph";
}

std::string CPrefs::GetLastDataLogConfig() const {
    return ReadText(kGeneral, "LastDataLogConfig", GetDefaultConfigFile());
}
void CPrefs::SetLastDataLogConfig(const std::string& path) {
    WriteText(kGeneral, "LastDataLogConfig", path);
}

bool CPrefs::GetOpenPromptAtStart() const {
    return ReadBool(kGeneral, "OpenPromptAtStart", true);
}
void CPrefs::SetOpenPromptAtStart(bool prompt) {
    WriteBool(kGeneral, "OpenPromptAtStart", prompt);
}

int CPrefs::GetBGColor() const {
    return ReadInt(kDatalog, "BGColor", 15790320);
}
void CPrefs::SetBGColor(int color) {
    WriteInt(kDatalog, "BGColor", color);
}
bool CPrefs::GetBitmapGradientMode() const {
    return ReadBool(kDatalog, "BitmapGradientMode", false);
}
void CPrefs::SetBitmapGradientMode(bool mode) {
    WriteBool(kDatalog, "BitmapGradientMode", mode);
}
int CPrefs::GetBorderType() const {
    return ReadInt(kDatalog, "BorderType", 2);
}
void CPrefs::SetBorderType(int type) {
    WriteInt(kDatalog, "BorderType", type);
}

void CPrefs::LoadAutoZero(int& channel, float& triggerPoint, int& lessThan) const {
    channel = ReadInt(kDatalog, "AutozeroChannel", 1);
    triggerPoint = ReadFloat(kDatalog, "AutozeroTriggerPoint", 0.0f);
    lessThan = ReadInt(kDatalog, "AutozeroLessThan", 0);
}

void CPrefs::SaveAutoZero(int channel, float triggerPoint, int lessThan) {
    IniFile(m_path).Write(kDatalog, {{"AutozeroChannel", std::to_string(channel)},
                                     {"AutozeroTriggerPoint", FormatFixed(triggerPoint, 2)},
                                     {"AutozeroLessThan", std::to_string(lessThan)}});
}

void CPrefs::SaveChassisDefaults(const DataLogHeader& h) {
    using H = DataLogHeader;
    IniFile(m_path).Write(kChassis,
                          {{"WeightLF", FormatFixed(h.Get(H::weightLeftFront), 2)},
                           {"WeightRF", FormatFixed(h.Get(H::weightRightFront), 2)},
                           {"WeightLR", FormatFixed(h.Get(H::weightLeftRear), 2)},
                           {"WeightRR", FormatFixed(h.Get(H::weightRightRear), 2)},
                           {"Tires", h.Get(H::tires)},
                           {"TirePressureLF", FormatFixed(h.Get(H::tirePressureLeftFront), 2)},
                           {"TirePressureRF", FormatFixed(h.Get(H::tirePressureRightFront), 2)},
                           {"TirePressureLR", FormatFixed(h.Get(H::tirePressureLeftRear), 2)},
                           {"TirePressureRR", FormatFixed(h.Get(H::tirePressureRightRear), 2)}});
}

void CPrefs::LoadChassisDefaults(DataLogHeader& h) const {
    using H = DataLogHeader;
    h.Set(H::weightLeftFront, ReadFloat(kChassis, "WeightLF", 0.0f));
    h.Set(H::weightRightFront, ReadFloat(kChassis, "WeightRF", 0.0f));
    h.Set(H::weightLeftRear, ReadFloat(kChassis, "WeightLR", 0.0f));
    h.Set(H::weightRightRear, ReadFloat(kChassis, "WeightRR", 0.0f));
    h.Set(H::tires, ReadText(kChassis, "Tires", ""));
    h.Set(H::tirePressureLeftFront, ReadFloat(kChassis, "TirePressureLF", 0.0f));
    h.Set(H::tirePressureRightFront, ReadFloat(kChassis, "TirePressureRF", 0.0f));
    h.Set(H::tirePressureLeftRear, ReadFloat(kChassis, "TirePressureLR", 0.0f));
    h.Set(H::tirePressureRightRear, ReadFloat(kChassis, "TirePressureRR", 0.0f));
}

void CPrefs::SaveMiscDefaults(int page, const DataLogHeader& h) {
    if (page != 1 && page != 2) return;
    using H = DataLogHeader;
    const TextField description = page == 1 ? H::misc1Description : H::misc2Description;
    const TextField parameter = page == 1 ? H::misc1Parameter : H::misc2Parameter;
    const TextField information = page == 1 ? H::misc1Information : H::misc2Information;
    std::vector<std::pair<std::string, std::string>> keys{{"Description", h.Get(description)}};
    for (int i = 1; i <= 8; ++i) {
        keys.emplace_back("Parameter" + std::to_string(i), h.GetAt(parameter, i - 1));
        keys.emplace_back("Information" + std::to_string(i), h.GetAt(information, i - 1));
    }
    IniFile(m_path).Write(MiscSection(page), keys);
}

void CPrefs::LoadMiscDefaults(int page, DataLogHeader& h) const {
    if (page != 1 && page != 2) return;
    using H = DataLogHeader;
    const std::string section = MiscSection(page);
    h.Set(page == 1 ? H::misc1Description : H::misc2Description,
          ReadText(section, "Description", ""));
    const TextField parameter = page == 1 ? H::misc1Parameter : H::misc2Parameter;
    const TextField information = page == 1 ? H::misc1Information : H::misc2Information;
    for (int i = 1; i <= 8; ++i) {
        h.SetAt(parameter, i - 1, ReadText(section, "Parameter" + std::to_string(i), ""));
        h.SetAt(information, i - 1, ReadText(section, "Information" + std::to_string(i), ""));
    }
}

int CPrefs::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    auto text = IniFile(m_path).Read(section, key);
    return text ? ParseLeadingInt(*text) : defaultValue;
}

void CPrefs::WriteInt(const std::string& section, const std::string& key, int value) {
    IniFile(m_path).Write(section, key, std::to_string(value));
}

bool CPrefs::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInt(section, key, defaultValue ? 1 : 0) != 0;
}

void CPrefs::WriteBool(const std::string& section, const std::string& key, bool value) {
    IniFile(m_path).Write(section, key, value ? "1" : "0");
}

float CPrefs::ReadFloat(const std::string& section, const std::string& key,
                        float defaultValue) const {
    std::string text = ReadText(section, key, FormatFixed(defaultValue, 6));
    return static_cast<float>(ParseLeadingDouble(text));
}

void CPrefs::WriteFloat(const std::string& section, const std::string& key, float value) {
    IniFile(m_path).Write(section, key, FormatFixed(value, 2));
}

std::string CPrefs::ReadText(const std::string& section, const std::string& key,
                             const std::string& defaultValue) const {
    auto text = IniFile(m_path).Read(section, key);
    std::string value = text ? *text : defaultValue;
    if (value.size() > kMaxText) value.resize(kMaxText);
    return value;
}

void CPrefs::WriteText(const std::string& section, const std::string& key,
                       const std::string& value) {
    IniFile(m_path).Write(section, key, value);
}

}  // namespace quillon
