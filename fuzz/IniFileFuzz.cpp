// Fuzz target for the INI reader and writer behind the preferences, over the file's text in
// memory: every key the preferences read is read, one key is written and must read back, and
// every other key must keep its value.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/IniFile.h"

using namespace quillon;

namespace {

/// The sections and keys the preferences read.
const std::vector<std::pair<std::string, std::string>>& PreferenceKeys() {
    static const auto keys = [] {
        std::vector<std::pair<std::string, std::string>> k = {{"General", "PressureIsPSI"},
                                                              {"General", "LastDataLogConfig"},
                                                              {"Datalog", "BGColor"},
                                                              {"Datalog", "BitmapGradientMode"},
                                                              {"Datalog", "BorderType"},
                                                              {"Datalog", "AutozeroChannel"},
                                                              {"Datalog", "AutozeroTriggerPoint"},
                                                              {"Datalog", "AutozeroLessThan"}};
        for (const char* key :
             {"WeightLF", "WeightRF", "WeightLR", "WeightRR", "Tires", "TirePressureLF",
              "TirePressureRF", "TirePressureLR", "TirePressureRR"})
            k.emplace_back("Datalog-Chassis", key);
        for (const char* section : {"Datalog-Misc1", "Datalog-Misc2"}) {
            k.emplace_back(section, "Description");
            for (int i = 1; i <= 8; ++i) {
                k.emplace_back(section, "Parameter" + std::to_string(i));
                k.emplace_back(section, "Information" + std::to_string(i));
            }
        }
        return k;
    }();
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::optional<std::string>> before;
    for (const auto& [section, key] : PreferenceKeys())
        before.push_back(IniFile::ReadText(text, section, key));

    // A key name taken from the input, so that odd names are written too.
    std::string key(text.substr(0, size % 9));
    bool plain = !key.empty();
    for (char c : key)
        plain = plain && c > ' ' && c != '=' && c != '[' && c != ']' && c != ';' && c != 0x7f;
    if (!plain) key = "Key";
    const std::string written = IniFile::WriteText(text, "Fuzz Section", {{key, "value 1"}});
    if (IniFile::ReadText(written, "Fuzz Section", key) != std::optional<std::string>("value 1"))
        std::abort();
    for (size_t i = 0; i < before.size(); ++i) {
        const auto& [section, name] = PreferenceKeys()[i];
        if (IniFile::ReadText(written, section, name) != before[i]) std::abort();
    }
    // Writing the same key again changes nothing.
    if (IniFile::WriteText(written, "Fuzz Section", {{key, "value 1"}}) != written) std::abort();
    return 0;
}
