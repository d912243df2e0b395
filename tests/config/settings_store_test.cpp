// The settings store against the real registry: what a new GeneralDialog
// reads, what WriteRegistry leaves behind, the preference gates, values of
// unexpected types and sizes, Revert, and ScrGetSettings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/general_dialog.h"
#include "dusklit.h"
#include "tests/support/registry_scope.h"

namespace {

std::string Bytes(const void *data, size_t size)
{
    return std::string(static_cast<const char *>(data), size);
}

void SetSwitches(LONG sound, LONG activeConfig)
{
    ScrPrefs *prefs = ScrGetPrefs();
    prefs->Sound = sound;
    prefs->ActiveConfig = activeConfig;
    ScrSetPrefs(prefs);
}

// Every test starts without the key and with the default preferences
// (Sound on, ActiveConfig off); the key is put back afterwards.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSwitches(1, 0);
        ASSERT_TRUE(DeleteKey(ScreenSaversKey));
    }
    void TearDown() override
    {
        SetSwitches(1, 0);
    }

    void Store(const char *name, DWORD value)
    {
        WriteDword(ScreenSaversKey, name, value);
    }
    void Store(const char *name, DWORD type, const std::string &bytes)
    {
        WriteValue(ScreenSaversKey, name, type, bytes);
    }

    SavedKey saved_{ScreenSaversKey};
};

void ExpectCorners(const GeneralDialog &dialog, BYTE topLeft, BYTE topRight, BYTE bottomRight, BYTE bottomLeft)
{
    EXPECT_EQ(dialog.corners[0], topLeft);
    EXPECT_EQ(dialog.corners[1], topRight);
    EXPECT_EQ(dialog.corners[2], bottomRight);
    EXPECT_EQ(dialog.corners[3], bottomLeft);
}

// What a GeneralDialog holds, field by field.
struct Held {
    LONG passwordDelay, passwordDelayIndex, mouseThreshold, mouseThresholdIndex;
    BYTE corners[4];
    LONG muteSound, allowActiveConfig;
};

// Whether the dialog holds exactly that; the failure names every field
// that differs.
::testing::AssertionResult Holds(const GeneralDialog &dialog, const Held &expected)
{
    std::string wrong;
    auto check = [&wrong](const char *name, LONG actual, LONG wanted) {
        if (actual != wanted)
            wrong += std::string(" ") + name + " " + std::to_string(actual) + " (not " + std::to_string(wanted) + ")";
    };
    check("passwordDelay", dialog.passwordDelay, expected.passwordDelay);
    check("passwordDelayIndex", dialog.passwordDelayIndex, expected.passwordDelayIndex);
    check("mouseThreshold", dialog.mouseThreshold, expected.mouseThreshold);
    check("mouseThresholdIndex", dialog.mouseThresholdIndex, expected.mouseThresholdIndex);
    for (int corner = 0; corner < 4; ++corner)
        check(("corner " + std::to_string(corner)).c_str(), dialog.corners[corner], expected.corners[corner]);
    check("muteSound", dialog.muteSound, expected.muteSound);
    check("allowActiveConfig", dialog.allowActiveConfig, expected.allowActiveConfig);
    if (wrong.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "holds" << wrong;
}

void ExpectSavedCopyMatches(const GeneralDialog &dialog)
{
    EXPECT_EQ(std::memcmp(dialog.corners, dialog.savedCorners, 4), 0);
    EXPECT_EQ(dialog.savedMuteSound, dialog.muteSound);
    EXPECT_EQ(dialog.savedMouseThreshold, dialog.mouseThreshold);
    EXPECT_EQ(dialog.savedMouseThresholdIndex, dialog.mouseThresholdIndex);
    EXPECT_EQ(dialog.savedPasswordDelay, dialog.passwordDelay);
    EXPECT_EQ(dialog.savedPasswordDelayIndex, dialog.passwordDelayIndex);
    EXPECT_EQ(dialog.savedAllowActiveConfig, dialog.allowActiveConfig);
}

TEST_F(SettingsStore, WithoutTheKeyTheDefaultsStand)
{
    SetSwitches(1, 1);
    GeneralDialog dialog;
    EXPECT_EQ(dialog.busy, 0);
    EXPECT_TRUE(Holds(dialog, {60, 0, 0, 0, {0, 0, 0, 0}, 0, 0}));
    ExpectSavedCopyMatches(dialog);
    // Reading never creates the key.
    EXPECT_FALSE(KeyExists(ScreenSaversKey));
}

TEST_F(SettingsStore, StoredNumbersAreTakenInBothCopies)
{
    SetSwitches(1, 1);
    Store("Password Delay", 300);
    Store("Password Delay Index", 1);
    Store("Mouse Threshold", 999999);
    Store("Mouse Threshold Index", 3);
    Store("Mouse Corners", REG_SZ, Bytes("NYNY", 5));
    Store("Mute Sound", 1);
    Store("Active Config", 1);

    GeneralDialog dialog;
    EXPECT_TRUE(Holds(dialog, {300, 1, 999999, 3, {2, 1, 2, 1}, 1, 1}));
    ExpectSavedCopyMatches(dialog);
}

// No upper limit on either; a delay that reads as negative would outlast
// any saver and counts as none.
TEST_F(SettingsStore, DelayAndThresholdHaveNoRange)
{
    for (LONG delay : {0L, -1L, -3600L, 0x7FFFFFFFL}) {
        Store("Password Delay", static_cast<DWORD>(delay));
        Store("Mouse Threshold", static_cast<DWORD>(delay));
        GeneralDialog dialog;
        EXPECT_EQ(dialog.passwordDelay, delay < 0 ? 0 : delay);
        EXPECT_EQ(dialog.mouseThreshold, delay);
    }
}

TEST_F(SettingsStore, IndicesAreBroughtIntoTheirLists)
{
    const struct {
        LONG stored;
        LONG delayIndex;
        LONG thresholdIndex;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 1, 2}, {3, 1, 3}, {4, 1, 3}, {7, 1, 3}, {-1, 1, 3}, {LONG(0x80000000), 1, 3}};
    for (const auto &c : cases) {
        Store("Password Delay Index", static_cast<DWORD>(c.stored));
        Store("Mouse Threshold Index", static_cast<DWORD>(c.stored));
        GeneralDialog dialog;
        EXPECT_EQ(dialog.passwordDelayIndex, c.delayIndex) << c.stored;
        EXPECT_EQ(dialog.mouseThresholdIndex, c.thresholdIndex) << c.stored;
    }
}

TEST_F(SettingsStore, OnlyTheThresholdIndexIsLimitedWhenNothingIsRead)
{
    Store("Password Delay", 10);
    GeneralDialog dialog;
    dialog.passwordDelayIndex = 5;
    dialog.mouseThresholdIndex = 9;
    dialog.ReadRegistry();
    EXPECT_EQ(dialog.passwordDelayIndex, 5);
    EXPECT_EQ(dialog.mouseThresholdIndex, 3);

    // Too long to be read counts as not there.
    Store("Mouse Threshold Index", REG_BINARY, std::string(8, '\0'));
    dialog.mouseThresholdIndex = -2;
    dialog.ReadRegistry();
    EXPECT_EQ(dialog.mouseThresholdIndex, 3);
}

TEST_F(SettingsStore, CornerCharactersAreReadOneByOne)
{
    const struct {
        std::string stored;
        BYTE corners[4];
    } cases[] = {
        {Bytes("YN-y", 5), {1, 2, 0, 0}},
        {Bytes("YN", 3), {1, 2, 0, 0}},
        {Bytes("n N-", 5), {0, 0, 2, 0}},
        {Bytes("", 1), {0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("stored \"" + c.stored + "\"");
        Store("Mouse Corners", REG_SZ, c.stored);
        ExpectCorners(GeneralDialog(), c.corners[0], c.corners[1], c.corners[2], c.corners[3]);
    }
}

TEST_F(SettingsStore, CornersTooLongForTheBufferAreIgnored)
{
    Store("Mouse Corners", REG_SZ, Bytes("YNYNY", 6));
    GeneralDialog dialog;
    ExpectCorners(dialog, 0, 0, 0, 0);

    // Whatever the object held before stays.
    dialog.corners[1] = 2;
    Store("Mouse Corners", REG_BINARY, "YYYYYY");
    dialog.ReadRegistry();
    ExpectCorners(dialog, 0, 2, 0, 0);
}

TEST_F(SettingsStore, ValuesOfOtherTypesAreReadByTheirBytes)
{
    SetSwitches(1, 1);
    // Short values count their missing bytes as zero.
    Store("Password Delay", REG_BINARY, Bytes("\x2A", 1));
    Store("Mouse Threshold", REG_BINARY, Bytes("\x10\x27", 2));
    Store("Mute Sound", REG_BINARY, Bytes("\x01\x02\x03", 3));
    // A one-character string and its zero.
    Store("Mouse Threshold Index", REG_SZ, Bytes("\x02", 2));
    // The bytes count, low byte first, whatever the type says.
    Store("Password Delay Index", REG_DWORD_BIG_ENDIAN, Bytes("\x00\x00\x00\x01", 4));
    Store("Mouse Corners", REG_BINARY, "NY");

    GeneralDialog dialog;
    EXPECT_EQ(dialog.passwordDelay, 42);
    EXPECT_EQ(dialog.mouseThreshold, 10000);
    EXPECT_EQ(dialog.muteSound, 0x030201);
    EXPECT_EQ(dialog.mouseThresholdIndex, 2);
    EXPECT_EQ(dialog.passwordDelayIndex, 1); // 0x01000000, above 1
    ExpectCorners(dialog, 2, 1, 0, 0);

    // An empty value fits the buffer and reads as zero.
    Store("Active Config", REG_BINARY, "");
    dialog.allowActiveConfig = 5;
    dialog.ReadRegistry();
    EXPECT_EQ(dialog.allowActiveConfig, 0);

    Store("Password Delay", REG_SZ, Bytes("ab", 3));
    EXPECT_EQ(GeneralDialog().passwordDelay, 0x6261);
}

TEST_F(SettingsStore, ValuesLongerThanFourBytesAreIgnored)
{
    SetSwitches(1, 1);
    Store("Password Delay", REG_BINARY, std::string("\x05\x00\x00\x00\x00\x00\x00\x00", 8));
    Store("Mouse Threshold", REG_QWORD, std::string("\xC8\x00\x00\x00\x00\x00\x00\x00", 8));
    Store("Mute Sound", REG_SZ, Bytes("1234", 5));
    Store("Active Config", REG_BINARY, std::string(5, '\x01'));
    Store("Password Delay Index", REG_SZ, Bytes("long text", 10));

    EXPECT_TRUE(Holds(GeneralDialog(), {60, 0, 0, 0, {0, 0, 0, 0}, 0, 0}));
}

TEST_F(SettingsStore, WrittenFormHasExactTypesAndSizes)
{
    SetSwitches(1, 1);
    GeneralDialog dialog;
    dialog.passwordDelay = 5400;
    dialog.passwordDelayIndex = 1;
    dialog.mouseThreshold = 400;
    dialog.mouseThresholdIndex = 2;
    const BYTE corners[4] = {1, 0, 2, 0};
    std::memcpy(dialog.corners, corners, 4);
    dialog.muteSound = 1;
    dialog.allowActiveConfig = 1;
    EXPECT_EQ(dialog.WriteRegistry(), ERROR_SUCCESS);

    const std::pair<const char *, DWORD> written[] = {
        {"Password Delay", 5400}, {"Password Delay Index", 1}, {"Mouse Threshold", 400},
        {"Mouse Threshold Index", 2}, {"Mute Sound", 1}, {"Active Config", 1},
    };
    for (const auto &[name, value] : written)
        EXPECT_EQ(ReadDword(ScreenSaversKey, name), value) << name;
    auto stored = ReadValue(ScreenSaversKey, "Mouse Corners");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, DWORD(REG_SZ));
    EXPECT_EQ(stored->bytes, Bytes("Y-N-", 5));

    EXPECT_TRUE(Holds(GeneralDialog(), {5400, 1, 400, 2, {1, 0, 2, 0}, 1, 1})) << "what was written reads back";
}

TEST_F(SettingsStore, WritingReplacesValuesOfOtherTypes)
{
    Store("Password Delay", REG_SZ, Bytes("12345678", 9));
    Store("Mouse Corners", REG_BINARY, "NNNNNNNN");
    GeneralDialog dialog;
    dialog.corners[3] = 2;
    EXPECT_EQ(dialog.WriteRegistry(), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(ScreenSaversKey, "Password Delay"), 60u);
    auto corners = ReadValue(ScreenSaversKey, "Mouse Corners");
    ASSERT_TRUE(corners);
    EXPECT_EQ(corners->type, DWORD(REG_SZ));
    EXPECT_EQ(corners->bytes, Bytes("---N", 5));
}

TEST_F(SettingsStore, SoundSwitchGatesMuteSound)
{
    Store("Mute Sound", 1);
    SetSwitches(0, 0);
    GeneralDialog silent;
    EXPECT_EQ(silent.muteSound, 0);
    silent.muteSound = 0;
    silent.WriteRegistry();
    EXPECT_EQ(ReadDword(ScreenSaversKey, "Mute Sound"), 1u); // untouched

    DeleteKey(ScreenSaversKey);
    silent.muteSound = 1;
    silent.WriteRegistry();
    EXPECT_FALSE(ReadValue(ScreenSaversKey, "Mute Sound"));
    EXPECT_TRUE(ReadValue(ScreenSaversKey, "Password Delay")); // the rest is written

    SetSwitches(1, 0);
    EXPECT_EQ(GeneralDialog().muteSound, 0);
    silent.WriteRegistry();
    EXPECT_EQ(ReadDword(ScreenSaversKey, "Mute Sound"), 1u);
    EXPECT_EQ(GeneralDialog().muteSound, 1);
}

TEST_F(SettingsStore, ActiveConfigSwitchGatesActiveConfig)
{
    Store("Active Config", 1);
    GeneralDialog withoutSupport; // ActiveConfig is off by default
    EXPECT_EQ(withoutSupport.allowActiveConfig, 0);
    withoutSupport.WriteRegistry();
    EXPECT_EQ(ReadDword(ScreenSaversKey, "Active Config"), 1u);

    DeleteKey(ScreenSaversKey);
    withoutSupport.allowActiveConfig = 1;
    withoutSupport.WriteRegistry();
    EXPECT_FALSE(ReadValue(ScreenSaversKey, "Active Config"));

    SetSwitches(1, 1);
    withoutSupport.WriteRegistry();
    EXPECT_EQ(ReadDword(ScreenSaversKey, "Active Config"), 1u);
    EXPECT_EQ(GeneralDialog().allowActiveConfig, 1);
}

TEST_F(SettingsStore, RevertBringsBackTheSavedCopy)
{
    Store("Mouse Corners", REG_SZ, Bytes("-Y--", 5));
    Store("Password Delay", 120);
    GeneralDialog dialog;
    EXPECT_EQ(dialog.Revert(), 0);
    ExpectCorners(dialog, 0, 1, 0, 0);
    EXPECT_EQ(dialog.passwordDelay, 120);

    dialog.corners[2] = 2;
    EXPECT_EQ(dialog.Revert(), 1);
    ExpectCorners(dialog, 0, 1, 0, 0);
    EXPECT_EQ(dialog.Revert(), 0);

    // Each field on its own counts as a change.
    LONG GeneralDialog::*fields[] = {&GeneralDialog::muteSound,          &GeneralDialog::mouseThreshold,
                                     &GeneralDialog::mouseThresholdIndex, &GeneralDialog::passwordDelay,
                                     &GeneralDialog::passwordDelayIndex,  &GeneralDialog::allowActiveConfig};
    for (auto field : fields) {
        const LONG before = dialog.*field;
        dialog.*field = before + 7;
        EXPECT_EQ(dialog.Revert(), 1);
        EXPECT_EQ(dialog.*field, before);
    }

    // busy is no setting.
    dialog.busy = 1;
    EXPECT_EQ(dialog.Revert(), 0);
    EXPECT_EQ(dialog.busy, 1);
}

TEST_F(SettingsStore, ScrGetSettingsFillsAllButTheSize)
{
    SetSwitches(1, 1);
    Store("Password Delay", 900);
    Store("Password Delay Index", 1);
    Store("Mouse Threshold", 200);
    Store("Mouse Corners", REG_SZ, Bytes("N--Y", 5));
    Store("Mute Sound", 1);
    Store("Active Config", 1);

    ScrGeneralSettings settings;
    std::memset(&settings, 0xEE, sizeof settings);
    settings.size = 12345;
    ScrGetSettings(&settings);
    EXPECT_EQ(settings.size, 12345);
    EXPECT_EQ(settings.corners[0], 2);
    EXPECT_EQ(settings.corners[1], 0);
    EXPECT_EQ(settings.corners[2], 0);
    EXPECT_EQ(settings.corners[3], 1);
    EXPECT_EQ(settings.muteSound, 1);
    EXPECT_EQ(settings.mouseThreshold, 200);
    EXPECT_EQ(settings.passwordDelay, 900);
    EXPECT_EQ(settings.allowActiveConfig, 1);

    DeleteKey(ScreenSaversKey);
    settings.size = 0;
    ScrGetSettings(&settings);
    EXPECT_EQ(settings.size, 0);
    EXPECT_EQ(settings.passwordDelay, 60);
    EXPECT_EQ(std::memcmp(settings.corners, "\0\0\0\0", 4), 0);
    EXPECT_EQ(settings.muteSound, 0);

    ScrGetSettings(nullptr); // nothing to fill, and no harm
}

} // namespace
