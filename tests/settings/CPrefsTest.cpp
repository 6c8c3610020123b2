// Preferences: defaults, value encodings, chassis and misc blocks, and the INI text.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "PlatformSupport.h"
#include "settings/CPrefs.h"
#include "settings/IniFile.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

class PrefsTest : public ::testing::Test {
protected:
    ~PrefsTest() override {
        std::error_code ec;  // a test may leave the folder read-only
        fs::permissions(m_docs.path / "Brenmor/Quillon", fs::perms::owner_all, ec);
    }
    std::string Docs() const { return m_docs.String(); }
    std::string IniPath() const { return m_docs / "Brenmor/Quillon/QuillonLogViewer.ini"; }
    std::string IniText() const { return test::ReadText(IniPath()); }
    void WriteIni(const std::string& text) const { test::WriteText(IniPath(), text); }

    test::TempFolder m_docs;
};

TEST_F(PrefsTest, FreshFolderGivesDefaultsAndWritesArePrivateProfileText) {
    CPrefs prefs(Docs());
    EXPECT_EQ(prefs.GetAppFolder(), Docs() + "/Brenmor/Quillon/");
    EXPECT_TRUE(fs::is_directory(Docs() + "/Brenmor/Quillon/Data Logs"));
    EXPECT_TRUE(fs::is_directory(prefs.GetConfigFolder()));
    EXPECT_EQ(prefs.GetBGColor(), 15790320);
    EXPECT_EQ(prefs.GetBorderType(), 2);
    int channel = -5, lessThan = -5;
    float trigger = -5;
    prefs.LoadAutoZero(channel, trigger, lessThan);
    EXPECT_EQ(std::tuple(channel, trigger, lessThan), std::tuple(1, 0.0f, 0));
    EXPECT_EQ(prefs.GetLastDataLogConfig(),
              Docs() + "/Brenmor/Quillon/Data Log Configs/default_datalog.graph");

    prefs.SetBGColor(255);
    prefs.SetBitmapGradientMode(true);
    prefs.SetLastDataLogConfig("/x/y.graph");
    prefs.SaveAutoZero(7, 3.14159f, 1);
    prefs.LoadAutoZero(channel, trigger, lessThan);
    EXPECT_EQ(std::tuple(channel, trigger, lessThan), std::tuple(7, 3.14f, 1));
    prefs.SetBGColor(16);  // replaces the line, no duplicate
    EXPECT_EQ(prefs.GetBGColor(), 16);
    const std::string text = IniText();
    EXPECT_NE(text.find("[Datalog]\r\nBGColor=16\r\nBitmapGradientMode=1\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("AutozeroTriggerPoint=3.14\r\n"), std::string::npos);
    EXPECT_NE(text.find("[General]\r\nLastDataLogConfig=/x/y.graph\r\n"), std::string::npos);
    EXPECT_EQ(text.find("BGColor=255"), std::string::npos);
}

TEST_F(PrefsTest, ValueEncodingsFollowTheProfileRules) {
    { CPrefs make(Docs()); }
    WriteIni(
        "; comment\n[general]\npressureispsi = 7\n[Datalog]\nBGColor=abc\nBorderType= 12x\n"
        "AutozeroTriggerPoint=12.5abc\n[Datalog-Chassis]\nWeightLF=kg\nWeightRF=  -3.25\n"
        "Tires=\"123456789012345678901234567890\"\ngarbage line without equals\n");
    CPrefs prefs(Docs());
    EXPECT_TRUE(prefs.IsPressurePSI());    // sections and keys compare without case
    EXPECT_EQ(prefs.GetBGColor(), 0);      // present but not a number: 0, not the default
    EXPECT_EQ(prefs.GetBorderType(), 12);  // leading number
    int channel, lessThan;
    float trigger;
    prefs.LoadAutoZero(channel, trigger, lessThan);
    EXPECT_EQ(trigger, 12.5f);
    EXPECT_EQ(channel, 1);
    DataLogHeader header;
    prefs.LoadChassisDefaults(header);
    EXPECT_EQ(header.Get(DataLogHeader::weightLeftFront), 0.0f);
    EXPECT_EQ(header.Get(DataLogHeader::weightRightFront), -3.25f);
    EXPECT_EQ(header.Get(DataLogHeader::tires), "123456789012345");  // 16-byte field
    // A long text is cut to 259 characters when read.
    prefs.SetLastDataLogConfig(std::string(400, 'a'));
    EXPECT_EQ(prefs.GetLastDataLogConfig(), std::string(259, 'a'));
    // The file's own line ends are kept.
    EXPECT_EQ(IniText().find('\r'), std::string::npos);
}

TEST_F(PrefsTest, PressureFlagIsWrittenBackAsZeroOrOneAtTheEnd) {
    { CPrefs make(Docs()); }
    EXPECT_NE(IniText().find("PressureIsPSI=0"), std::string::npos);
    WriteIni("[General]\r\nPressureIsPSI=7\r\n");
    { CPrefs prefs(Docs()); }
    EXPECT_EQ(IniText(), "[General]\r\nPressureIsPSI=1\r\n");
}

TEST_F(PrefsTest, ChassisAndMiscellaneousBlocksRoundTrip) {
    CPrefs prefs(Docs());
    using H = DataLogHeader;
    using F32Field = quillon::F32Field;
    DataLogHeader in;
    const std::pair<F32Field, float> chassis[] = {
        {H::weightLeftFront, 123.456f},   {H::weightRightFront, 2.0f},
        {H::weightLeftRear, 3.0f},        {H::weightRightRear, 4.0f},
        {H::tirePressureLeftFront, 5.5f}, {H::tirePressureRightFront, 6.5f},
        {H::tirePressureLeftRear, 7.25f}, {H::tirePressureRightRear, 28.0f}};
    for (auto [field, value] : chassis)
        in.Set(field, value);
    in.Set(DataLogHeader::tires, "Slicks");
    in.Set(DataLogHeader::misc2Description, "Track day");
    in.SetAt(DataLogHeader::misc2Parameter, 7, "Wing");
    in.SetAt(DataLogHeader::misc2Information, 0, "line1\r\nline2");
    prefs.SaveChassisDefaults(in);
    prefs.SaveMiscDefaults(2, in);
    prefs.SaveMiscDefaults(3, in);  // no such page: nothing written

    const std::string text = IniText();
    EXPECT_NE(text.find("[Datalog-Chassis]\r\nWeightLF=123.46\r\nWeightRF=2.00\r\nWeightLR=3.00\r\n"
                        "WeightRR=4.00\r\nTires=Slicks\r\nTirePressureLF=5.50\r\n"
                        "TirePressureRF=6.50\r\nTirePressureLR=7.25\r\nTirePressureRR=28.00\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[Datalog-Misc2]\r\nDescription=Track day\r\nParameter1=\r\n"
                        "Information1=line1  line2\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Datalog-Misc3"), std::string::npos);

    DataLogHeader out;
    out.SetAt(DataLogHeader::misc2Parameter, 3, "stale");
    prefs.LoadChassisDefaults(out);
    prefs.LoadMiscDefaults(2, out);
    for (auto [field, value] : chassis)
        EXPECT_EQ(out.Get(field), field.offset == H::weightLeftFront.offset ? 123.46f : value);
    EXPECT_EQ(out.Get(DataLogHeader::tires), "Slicks");
    EXPECT_EQ(out.GetAt(DataLogHeader::misc2Parameter, 7), "Wing");
    EXPECT_EQ(out.GetAt(DataLogHeader::misc2Parameter, 3), "");
    EXPECT_EQ(out.GetAt(DataLogHeader::misc2Information, 0), "line1  line2");
}

TEST_F(PrefsTest, UnwritableFolderOrAFolderInPlaceOfTheFileLosesWritesQuietly) {
    fs::create_directories(IniPath());
    {
        CPrefs prefs(Docs());
        prefs.SetBorderType(9);
        EXPECT_EQ(prefs.GetBorderType(), 2);
        EXPECT_TRUE(fs::is_directory(IniPath()));
    }
    fs::remove(IniPath());
    {
        CPrefs prefs(Docs());
        prefs.SetBorderType(5);
    }
    const std::string before = IniText();
    fs::permissions(m_docs.path / "Brenmor" / "Quillon",
                    fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    if (!test::PermissionBitsApply())
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    CPrefs prefs(Docs());
    prefs.SetBorderType(9);
    EXPECT_EQ(prefs.GetBorderType(), 5);
    EXPECT_EQ(IniText(), before);
}

TEST(IniFileTest, FirstSectionAndKeyWinAndQuotesAreDropped) {
    const test::TempFolder dir;
    const std::string path = dir / "a.ini";
    test::WriteText(path, "[A]\nk=1\nk=2\nq='x y'\n[B]\nk=3\n[A]\nk=4\nz=5\n");
    IniFile ini(path);
    EXPECT_EQ(ini.Read("A", "k"), "1");
    EXPECT_EQ(ini.Read("a", "Q"), "x y");
    EXPECT_EQ(ini.Read("B", "k"), "3");
    EXPECT_FALSE(ini.Read("A", "z").has_value());
    EXPECT_FALSE(ini.Read("C", "k").has_value());
    ASSERT_TRUE(ini.Write("B", "new", "v"));
    ASSERT_TRUE(ini.Write("C", "c", "w"));
    EXPECT_EQ(ini.Read("B", "new"), "v");
    EXPECT_EQ(ini.Read("C", "c"), "w");

    // A byte order mark before the first section is kept but does not hide the section.
    test::WriteText(path, "\xEF\xBB\xBF[General]\r\nk=1\r\n");
    EXPECT_EQ(ini.Read("General", "k"), "1");
    ASSERT_TRUE(ini.Write("General", "k", "2"));
    EXPECT_EQ(test::ReadText(path), "\xEF\xBB\xBF[General]\r\nk=2\r\n");
}

}  // namespace

TEST(IniFileTest, AStrayCarriageReturnDoesNotTurnALineFeedFileIntoACrlfOne) {
    // Found by fuzzing: the second write of the same key rewrote every line end.
    const std::string text = "A=1\n\n; note\r\r";
    const std::string once = IniFile::WriteText(text, "S", {{"Key", "value 1"}});
    EXPECT_EQ(once, "A=1\n\n; note\n\n[S]\nKey=value 1\n");
    EXPECT_EQ(IniFile::WriteText(once, "S", {{"Key", "value 1"}}), once);
}
