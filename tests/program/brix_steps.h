// What the whole-program tests know about brix.scr, and the steps they
// share: start it, get past the display-mode question, end the demo.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/driver/program_driver.h"

namespace brix {

// The program under test: the one this build made, unless the environment
// variable DUSKLIT_BRIX names another (a build elsewhere, a variant).
inline std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("DUSKLIT_BRIX", path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path) : std::string(BRIX_PATH);
}

inline const std::string DemoClass = "OpenGL";
inline const std::string DemoTitle = "Brix & Mallow's Quadratics Tutorial";
inline const std::string ModeQuestionCaption = "Brix GL";
inline const std::string ModeQuestion =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
inline const std::string ErrorCaption = "ERROR";
inline const std::string ClosingNotice = "Program Will Now Close.";

// The framework's saver windows: the full-screen one and the preview.
inline const std::string SaverClass = "ZoScreenSaverClass";
inline const std::string SaverTitle = "SaverWindow";
inline const std::string PreviewTitle = "SaverPreview";

// The framework's configuration: its property sheet and the About box that
// the sheet's system menu opens.
inline const std::string ConfigSheetCaption = "Screen Saver Properties";
inline const std::string AboutCaption = "About Dusklit";

// Where the framework and the system keep the settings a saver obeys,
// under HKEY_CURRENT_USER.
inline const std::string ScreenSaversKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
inline const std::string DesktopKey = "Control Panel\\Desktop";

constexpr int DemoWidth = 800;
constexpr int DemoHeight = 600;
// WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN and
// WS_EX_APPWINDOW | WS_EX_WINDOWEDGE.
constexpr DWORD WindowedStyle = 0x06CF0000;
constexpr DWORD WindowedExStyle = 0x00040100;
// WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN and WS_EX_APPWINDOW.
constexpr DWORD FullscreenStyle = 0x86000000;
constexpr DWORD FullscreenExStyle = 0x00040000;

// Whether the system's cursor is shown, as the foreground program's
// ShowCursor calls have left it.
inline bool CursorShowing()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING);
}

// The framework's exit code for a command line it cannot use.
constexpr DWORD FailureCode = 2;
// The saver mode's exit code once its window has closed (its WM_QUIT).
constexpr DWORD SaverClosedCode = 2;

// Starts brix.scr with the arguments where the display refuses the
// full-screen mode, answers Yes to the question and returns the demo
// window once it is shown.
inline std::optional<driver::WindowInfo> StartWindowedDemo(driver::ProgramDriver &program,
                                                           const std::string &arguments,
                                                           const driver::StartOptions &options = {})
{
    if (!program.Start(arguments, options))
        return std::nullopt;
    auto question = program.WaitForMessageBox(ModeQuestionCaption);
    if (!question || !program.Answer(*question, IDYES))
        return std::nullopt;
    return program.WaitForWindowOfClass(DemoClass);
}

// Escape, held down: the demo looks at the key between frames, so only a
// key that is still down then ends it (no key-up follows).
inline bool EndDemoWithEscape(driver::ProgramDriver &program, const driver::WindowInfo &demo)
{
    driver::PostKeyDown(demo.handle, VK_ESCAPE);
    return program.WaitUntilGone(demo.handle);
}

// Starts brix.scr with the arguments where the display refuses the
// full-screen mode, gets past the demo with Escape and returns the
// framework's full-screen saver window once it is shown.
inline std::optional<driver::WindowInfo> StartSaverAfterDemo(driver::ProgramDriver &program,
                                                             const std::string &arguments = "/s",
                                                             const driver::StartOptions &options = {})
{
    auto demo = StartWindowedDemo(program, arguments, options);
    if (!demo || !EndDemoWithEscape(program, *demo))
        return std::nullopt;
    return program.WaitForWindowOfClass(SaverClass);
}

// A REG_SZ value for RegistryValueScope; the text is stored with its
// terminating zero.
struct RegistryText {
    std::string text;
};

// Sets a REG_DWORD value (or a REG_SZ one) under HKEY_CURRENT_USER, or
// with no value deletes it, for the life of the object, then puts back
// what was there, down to removing the key again when it made it and left
// it empty.
class RegistryValueScope {
public:
    RegistryValueScope(std::string key, std::string name, std::optional<DWORD> value)
        : key_(std::move(key)), name_(std::move(name))
    {
        KeepOldValue();
        if (value)
            written_ = Write(REG_DWORD, reinterpret_cast<const BYTE *>(&*value), sizeof *value);
        else
            written_ = Delete();
    }
    RegistryValueScope(std::string key, std::string name, const RegistryText &value)
        : key_(std::move(key)), name_(std::move(name))
    {
        KeepOldValue();
        written_ = Write(REG_SZ, reinterpret_cast<const BYTE *>(value.text.c_str()),
                         static_cast<DWORD>(value.text.size() + 1));
    }
    ~RegistryValueScope()
    {
        if (hadValue_)
            Write(oldType_, oldData_.data(), static_cast<DWORD>(oldData_.size()));
        else
            Delete();
        if (!keyExisted_)
            DeleteKeyIfEmpty();
    }
    RegistryValueScope(const RegistryValueScope &) = delete;
    RegistryValueScope &operator=(const RegistryValueScope &) = delete;

    // Whether the value is now as asked.
    bool Written() const { return written_; }

private:
    void KeepOldValue()
    {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
            return;
        keyExisted_ = true;
        DWORD size = 0;
        if (RegQueryValueExA(handle, name_.c_str(), nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            oldData_.resize(size);
            hadValue_ = RegQueryValueExA(handle, name_.c_str(), nullptr, &oldType_,
                                         oldData_.empty() ? nullptr : oldData_.data(), &size) == ERROR_SUCCESS;
            oldData_.resize(size);
        }
        RegCloseKey(handle);
    }

    bool Write(DWORD type, const BYTE *data, DWORD size)
    {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS)
            return false;
        bool done = RegSetValueExA(handle, name_.c_str(), 0, type, data, size) == ERROR_SUCCESS;
        RegCloseKey(handle);
        return done;
    }
    bool Delete()
    {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
            return true;  // no key, so no value
        LONG result = RegDeleteValueA(handle, name_.c_str());
        RegCloseKey(handle);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }

    void DeleteKeyIfEmpty()
    {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
            return;
        DWORD subkeys = 1, values = 1;
        bool empty = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                      nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                     subkeys == 0 && values == 0;
        RegCloseKey(handle);
        if (empty)
            RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    }

    std::string key_, name_;
    bool keyExisted_ = false;
    bool hadValue_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
    bool written_ = false;
};

}  // namespace brix
