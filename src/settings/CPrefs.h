#pragma once
/// The user's preferences: one private-profile text file in the application folder of the
/// documents folder. Every getter reads the file and every setter writes it at once.

#include <string>

#include "format/DataLogHeader.h"

namespace quillon {

class CPrefs {
public:
    /// Computes the folders from the documents folder (empty: paths relative to the current
    /// folder), creates the missing application folders and reads "PressureIsPSI". With
    /// `readOnly` (commands that only report) nothing is created and nothing written back.
    explicit CPrefs(std::string documentsFolder, bool readOnly = false);
    /// Writes "PressureIsPSI" back (unless read-only).
    virtual ~CPrefs();
    CPrefs(const CPrefs&) = delete;
    CPrefs& operator=(const CPrefs&) = delete;

    /// The application folder with its trailing separator, or "" without a documents folder.
    const std::string& GetAppFolder() const { return m_appFolder; }
    std::string GetDataLogFolder() const;
    std::string GetConfigFolder() const;
    std::string GetDefaultConfigFile() const;
    const std::string& GetPrefsFilePath() const { return m_path; }
    bool IsPressurePSI() const { return m_pressureIsPsi; }

    std::string GetLastDataLogConfig() const;
    void SetLastDataLogConfig(const std::string& path);

    /// Whether the viewer asks for a log when it starts without one (on unless turned off).
    bool GetOpenPromptAtStart() const;
    void SetOpenPromptAtStart(bool prompt);

    int GetBGColor() const;  // 0x00BBGGRR
    void SetBGColor(int color);
    bool GetBitmapGradientMode() const;
    void SetBitmapGradientMode(bool mode);
    int GetBorderType() const;
    void SetBorderType(int type);

    void LoadAutoZero(int& channel, float& triggerPoint, int& lessThan) const;
    void SaveAutoZero(int channel, float triggerPoint, int lessThan);

    /// The chassis fields of a log header (weights, tires, tire pressures).
    void SaveChassisDefaults(const DataLogHeader& header);
    void LoadChassisDefaults(DataLogHeader& header) const;
    /// The miscellaneous page n (1 or 2) of a log header: description, 8 parameter and 8
    /// information rows. Other page numbers are ignored.
    void SaveMiscDefaults(int page, const DataLogHeader& header);
    void LoadMiscDefaults(int page, DataLogHeader& header) const;

    /// Raw access in the file's encodings, for the keys above and for tests.
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;
    void WriteInt(const std::string& section, const std::string& key, int value);
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);
    float ReadFloat(const std::string& section, const std::string& key, float defaultValue) const;
    void WriteFloat(const std::string& section, const std::string& key, float value);
    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
    void WriteText(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string m_appFolder;
    std::string m_path;
    bool m_readOnly = false;
    bool m_pressureIsPsi = false;
};

}  // namespace quillon
