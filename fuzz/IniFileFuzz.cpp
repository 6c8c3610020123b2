// Fuzz target for the INI reader and writer behind the preferences: the input is the preferences
// file. Every preference is read as the viewer reads it, one key is written and must read back,
// and the other keys must keep their values.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzScratch.h"
#include "settings/CPrefs.h"
#include "settings/IniFile.h"
#include "format/DataLogHeader.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string documents = FuzzScratchFolder() + "/docs";
    std::filesystem::create_directories(documents + "/Brenmor/Quillon");
    const std::string path = documents + "/Brenmor/Quillon/QuillonLogViewer.ini";
    if (!WriteFuzzFile(path, data, size)) return 0;
    {
        CPrefs prefs(documents);
        (void)prefs.GetLastDataLogConfig();
        // Each value on its own: their sum could overflow.
        (void)prefs.GetBGColor();
        (void)prefs.GetBorderType();
        (void)prefs.GetBitmapGradientMode();
        int channel = 0, lessThan = 0;
        float trigger = 0;
        prefs.LoadAutoZero(channel, trigger, lessThan);
        DataLogHeader header;
        prefs.LoadChassisDefaults(header);
        prefs.LoadMiscDefaults(1, header);
        prefs.LoadMiscDefaults(2, header);
    }
    IniFile ini(path);
    const auto before = ini.Read("Datalog", "BorderType");
    // Section and key names taken from the input, so that odd names are written too.
    std::string key = size > 0 ? std::string(reinterpret_cast<const char*>(data), size % 9) : "";
    bool plain = !key.empty();
    for (char c : key)
        plain = plain && c > ' ' && c != '=' && c != '[' && c != ']' && c != ';' && c != 0x7f;
    if (!plain) key = "Key";
    if (!ini.Write("Fuzz Section", key, "value 1")) std::abort();
    if (ini.Read("Fuzz Section", key) != std::optional<std::string>("value 1")) std::abort();
    if (ini.Read("Datalog", "BorderType") != before) std::abort();
    return 0;
}
