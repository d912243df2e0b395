#include "tests/driver/program_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace driver {

namespace {

// Longest debug-output text read from the program; longer ones are cut.
constexpr SIZE_T DebugTextLimit = 64 * 1024;
// How long ending the program, or the debugger thread after it, may take.
constexpr DWORD EndingLimitMs = 15000;
// How long a message box may take to close after its button was pressed.
constexpr DWORD AnswerLimitMs = 15000;
// How many trailing debug-output lines Report() shows.
constexpr std::size_t ReportedDebugLines = 40;

double TimeScale()
{
    static const double scale = [] {
        char text[32] = {};
        DWORD length = GetEnvironmentVariableA("DUSKLIT_DRIVER_TIME_SCALE", text, sizeof text);
        if (length == 0 || length >= sizeof text)
            return 1.0;
        char *end = nullptr;
        double value = std::strtod(text, &end);
        if (end == text || !(value > 0.0) || value > 1000.0)
            return 1.0;
        return value;
    }();
    return scale;
}

std::string HexCode(DWORD code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

}  // namespace

DWORD Limit(DWORD milliseconds)
{
    double scaled = milliseconds * TimeScale();
    // INFINITE is not a limit: stay just below it.
    return scaled >= static_cast<double>(INFINITE - 1) ? INFINITE - 1 : static_cast<DWORD>(scaled);
}

std::optional<DWORD> RunToEnd(std::string commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return std::nullopt;
    CloseHandle(process.hThread);
    std::optional<DWORD> code;
    if (WaitForSingleObject(process.hProcess, Limit(timeoutMs)) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        code = exitCode;
    } else {
        TerminateProcess(process.hProcess, 3);
    }
    CloseHandle(process.hProcess);
    return code;
}

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs, DWORD pollMs)
{
    const DWORD limit = Limit(timeoutMs);
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= limit)
            return false;
        Sleep(pollMs ? pollMs : 1);
    }
}

std::string WindowsPath(const std::string &path)
{
    if (path.empty() || path[0] != '/')
        return path;
    // Wine's own translation knows every drive mapping of the prefix.
    using DosName = WCHAR *(CDECL *)(const char *);
    auto toDos = reinterpret_cast<DosName>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos) {
        if (WCHAR *wide = toDos(path.c_str())) {
            char narrow[MAX_PATH * 4] = {};
            int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, wide);
            if (length > 1)
                return narrow;
        }
    }
    // Wine maps the Linux root to drive Z: unless told otherwise.
    std::string dos = "Z:" + path;
    std::replace(dos.begin(), dos.end(), '/', '\\');
    return dos;
}

// One started program: its handles, and what its debugger thread collected.
struct ProgramDriver::Session {
    std::string commandLine;
    StartOptions options;

    HANDLE process = nullptr;
    DWORD processId = 0;
    HANDLE debuggerThread = nullptr;
    HANDLE launched = nullptr;  // set once the debugger thread tried to start the program
    DWORD launchError = 0;
    bool endedByDriver = false;

    mutable std::mutex lock;  // guards the fields below
    std::vector<std::string> debugLines;
    std::vector<DWORD> unhandled;

    ~Session()
    {
        if (debuggerThread)
            CloseHandle(debuggerThread);
        if (launched)
            CloseHandle(launched);
        if (process)
            CloseHandle(process);
    }

    bool CreateTheProcess(DWORD flags)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION created{};
        std::string line = commandLine;  // CreateProcessA may write into it
        line.push_back('\0');
        const char *directory = options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, flags, nullptr, directory, &startup,
                            &created)) {
            launchError = GetLastError();
            return false;
        }
        CloseHandle(created.hThread);
        process = created.hProcess;
        processId = created.dwProcessId;
        return true;
    }

    void KeepDebugText(const DEBUG_EVENT &event)
    {
        const OUTPUT_DEBUG_STRING_INFO &info = event.u.DebugString;
        SIZE_T units = std::min<SIZE_T>(info.nDebugStringLength, DebugTextLimit);
        if (units == 0)
            return;
        std::string text;
        SIZE_T read = 0;
        if (info.fUnicode) {
            std::wstring wide(units, L'\0');
            if (!ReadProcessMemory(process, info.lpDebugStringData, &wide[0], units * sizeof(WCHAR), &read))
                return;
            wide.resize(read / sizeof(WCHAR));
            wide.resize(wcsnlen(wide.c_str(), wide.size()));
            int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr);
            text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
            if (length > 0)
                WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], length,
                                    nullptr, nullptr);
        } else {
            text.assign(units, '\0');
            if (!ReadProcessMemory(process, info.lpDebugStringData, &text[0], units, &read))
                return;
            text.resize(strnlen(text.c_str(), read));
        }
        std::lock_guard<std::mutex> hold(lock);
        debugLines.push_back(std::move(text));
    }

    // The debugger's event loop. Windows lets only the thread that created a
    // debugged process wait for its debug events, so this thread starts the
    // program too.
    void Debug()
    {
        bool created = CreateTheProcess(DEBUG_ONLY_THIS_PROCESS);
        SetEvent(launched);
        if (!created)
            return;
        bool initialBreakSeen = false;
        for (;;) {
            DEBUG_EVENT event{};
            if (!WaitForDebugEvent(&event, 200)) {
                // Should the exit event ever be lost, the ended process
                // still lets the loop go.
                if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
                    return;
                continue;
            }
            DWORD answer = DBG_CONTINUE;
            switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile)
                    CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile)
                    CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT:
                KeepDebugText(event);
                break;
            case EXCEPTION_DEBUG_EVENT: {
                const EXCEPTION_DEBUG_INFO &info = event.u.Exception;
                if (!initialBreakSeen && info.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
                    // The system stops every debugged program once at start.
                    initialBreakSeen = true;
                    break;
                }
                // Everything else is the program's own business: let its
                // handlers run, as they would without a debugger.
                answer = DBG_EXCEPTION_NOT_HANDLED;
                if (!info.dwFirstChance) {
                    std::lock_guard<std::mutex> hold(lock);
                    unhandled.push_back(info.ExceptionRecord.ExceptionCode);
                }
                break;
            }
            default:
                break;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
            if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
                return;
        }
    }

    static DWORD WINAPI DebuggerThread(void *session)
    {
        static_cast<Session *>(session)->Debug();
        return 0;
    }
};

ProgramDriver::ProgramDriver(std::string programPath) : program_(WindowsPath(programPath)) {}

ProgramDriver::~ProgramDriver()
{
    Finish();
}

bool ProgramDriver::Start(const std::string &arguments, const StartOptions &options)
{
    std::string line = "\"" + program_ + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    return StartWithCommandLine(line, options);
}

bool ProgramDriver::StartWithCommandLine(const std::string &commandLine, const StartOptions &options)
{
    if (Running())
        return false;
    Finish();
    timedOut_.clear();
    lastSight_.clear();
    startError_ = 0;
    return Launch(commandLine, options);
}

bool ProgramDriver::Launch(const std::string &commandLine, const StartOptions &options)
{
    auto session = std::make_unique<Session>();
    session->commandLine = commandLine;
    session->options = options;
    if (!options.captureDebugOutput) {
        if (!session->CreateTheProcess(0)) {
            startError_ = session->launchError;
            return false;
        }
        session_ = std::move(session);
        return true;
    }
    session->launched = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!session->launched)
        return false;
    session->debuggerThread = CreateThread(nullptr, 0, Session::DebuggerThread, session.get(), 0, nullptr);
    if (!session->debuggerThread)
        return false;
    // Starting a process takes a fraction of a second; a stuck start is
    // reported as a failed one.
    if (WaitForSingleObject(session->launched, Limit(DefaultWaitMs)) != WAIT_OBJECT_0 || !session->process) {
        startError_ = session->launchError;
        // The thread either failed already or is stuck inside the start; in
        // the second case the session must outlive it, so it is not freed.
        if (WaitForSingleObject(session->debuggerThread, Limit(EndingLimitMs)) != WAIT_OBJECT_0)
            session.release();
        return false;
    }
    session_ = std::move(session);
    return true;
}

DWORD ProgramDriver::ProcessId() const
{
    return session_ ? session_->processId : 0;
}

bool ProgramDriver::Running() const
{
    return session_ && session_->process && WaitForSingleObject(session_->process, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ProgramDriver::ExitCode() const
{
    if (!session_ || !session_->process || Running())
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(session_->process, &code))
        return std::nullopt;
    return code;
}

std::optional<DWORD> ProgramDriver::WaitForExit(DWORD timeoutMs)
{
    if (!session_ || !session_->process)
        return std::nullopt;
    if (WaitForSingleObject(session_->process, Limit(timeoutMs)) != WAIT_OBJECT_0) {
        GiveUp("the program to end");
        return std::nullopt;
    }
    if (session_->debuggerThread)
        WaitForSingleObject(session_->debuggerThread, Limit(EndingLimitMs));
    return ExitCode();
}

void ProgramDriver::Terminate()
{
    if (!session_ || !session_->process)
        return;
    if (Running() && TerminateProcess(session_->process, EndedByDriverCode))
        session_->endedByDriver = true;
    WaitForSingleObject(session_->process, Limit(EndingLimitMs));
    if (session_->debuggerThread)
        WaitForSingleObject(session_->debuggerThread, Limit(EndingLimitMs));
}

bool ProgramDriver::EndedByDriver() const
{
    return session_ && session_->endedByDriver;
}

void ProgramDriver::GiveUp(const std::string &what)
{
    if (timedOut_.empty()) {
        timedOut_ = what;
        // What was on the screen when the wait ran out, for Report().
        if (Running()) {
            lastSight_ = Describe(Windows());
            for (const MessageBoxInfo &box : MessageBoxes())
                lastSight_ += "\n  " + Describe(box);
        }
    }
    Terminate();
}

void ProgramDriver::Finish()
{
    if (!session_)
        return;
    Terminate();
    if (session_->debuggerThread && WaitForSingleObject(session_->debuggerThread, 0) != WAIT_OBJECT_0) {
        // A debugger thread that will not end keeps using its session.
        session_.release();
        return;
    }
    session_.reset();
}

std::vector<WindowInfo> ProgramDriver::Windows(bool includeHidden) const
{
    return TopLevelWindowsOf(ProcessId(), includeHidden);
}

std::optional<WindowInfo> ProgramDriver::WindowOfClass(const std::string &className) const
{
    for (const WindowInfo &window : Windows())
        if (window.className == className)
            return window;
    return std::nullopt;
}

std::optional<WindowInfo> ProgramDriver::WaitForWindow(const std::function<bool(const WindowInfo &)> &match,
                                                       const std::string &description, DWORD timeoutMs)
{
    std::optional<WindowInfo> found;
    bool ended = false;
    WaitUntil(
        [&] {
            for (const WindowInfo &window : Windows())
                if (match(window)) {
                    found = window;
                    return true;
                }
            ended = !Running();
            return ended;
        },
        timeoutMs);
    if (found)
        return found;
    GiveUp(ended ? description + " (the program ended first)" : description);
    return std::nullopt;
}

std::optional<WindowInfo> ProgramDriver::WaitForWindowOfClass(const std::string &className, DWORD timeoutMs)
{
    return WaitForWindow([&](const WindowInfo &window) { return window.className == className; },
                         "a window of class \"" + className + "\"", timeoutMs);
}

bool ProgramDriver::WaitUntilGone(HWND window, DWORD timeoutMs)
{
    if (WaitUntil([&] { return !IsWindow(window); }, timeoutMs))
        return true;
    GiveUp("a window to go away: " + Describe(ReadWindow(window)));
    return false;
}

std::vector<MessageBoxInfo> ProgramDriver::MessageBoxes() const
{
    std::vector<MessageBoxInfo> boxes;
    for (const WindowInfo &window : Windows())
        if (window.IsDialog())
            boxes.push_back(ReadMessageBox(window.handle));
    return boxes;
}

std::optional<MessageBoxInfo> ProgramDriver::WaitForMessageBox(const std::string &caption, DWORD timeoutMs)
{
    auto window = WaitForWindow(
        [&](const WindowInfo &candidate) {
            return candidate.IsDialog() && (caption.empty() || candidate.title == caption);
        },
        caption.empty() ? "a message box" : "a message box captioned \"" + caption + "\"", timeoutMs);
    if (!window)
        return std::nullopt;
    // The box is shown once its controls exist, but give a box caught in the
    // middle of being laid out a moment to get its text.
    MessageBoxInfo box = ReadMessageBox(window->handle);
    if (box.text.empty() || box.buttons.empty()) {
        WaitUntil(
            [&] {
                box = ReadMessageBox(window->handle);
                return !box.text.empty() && !box.buttons.empty();
            },
            2000);
    }
    return box;
}

bool ProgramDriver::Answer(const MessageBoxInfo &box, int buttonId, ClickMethod method)
{
    if (!ClickDialogButton(box.Handle(), buttonId, method))
        return false;
    if (WaitUntil([&] { return !IsWindow(box.Handle()) || !IsWindowVisible(box.Handle()); }, AnswerLimitMs))
        return true;
    GiveUp("the message box \"" + box.caption + "\" to close after its button " + std::to_string(buttonId));
    return false;
}

std::vector<std::string> ProgramDriver::DebugOutput() const
{
    if (!session_)
        return {};
    std::lock_guard<std::mutex> hold(session_->lock);
    return session_->debugLines;
}

bool ProgramDriver::DebugOutputContains(const std::string &text) const
{
    for (const std::string &line : DebugOutput())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

bool ProgramDriver::WaitForDebugOutput(const std::string &text, DWORD timeoutMs)
{
    bool ended = false;
    if (WaitUntil(
            [&] {
                if (DebugOutputContains(text))
                    return true;
                ended = !Running();
                // Text sent just before the end is collected before the
                // exit event; one more look settles it.
                return ended;
            },
            timeoutMs) &&
        DebugOutputContains(text))
        return true;
    GiveUp("debug output containing \"" + text + "\"" + (ended ? " (the program ended first)" : ""));
    return false;
}

std::vector<DWORD> ProgramDriver::UnhandledExceptions() const
{
    if (!session_)
        return {};
    std::lock_guard<std::mutex> hold(session_->lock);
    return session_->unhandled;
}

std::string ProgramDriver::Report() const
{
    std::string text = "program " + program_;
    if (!session_) {
        text += ", not started";
        if (startError_)
            text += " (error " + std::to_string(startError_) + ")";
        return text;
    }
    text += "\ncommand line: " + session_->commandLine;
    text += "\nprocess " + std::to_string(session_->processId);
    if (Running()) {
        text += ", running";
    } else if (auto code = ExitCode()) {
        text += ", ended with exit code " + std::to_string(*code);
        if (session_->endedByDriver)
            text += " (ended by the driver)";
    }
    if (!timedOut_.empty()) {
        text += "\ngave up waiting for " + timedOut_;
        if (!lastSight_.empty())
            text += "\nwindows then:" + lastSight_;
    }
    if (Running()) {
        text += "\nwindows:" + Describe(Windows());
        for (const MessageBoxInfo &box : MessageBoxes())
            text += "\n  " + Describe(box);
    }
    std::vector<DWORD> unhandled = UnhandledExceptions();
    for (DWORD code : unhandled)
        text += "\nunhandled exception " + HexCode(code);
    std::vector<std::string> lines = DebugOutput();
    if (!lines.empty()) {
        text += "\ndebug output (" + std::to_string(lines.size()) + " lines, last ones):";
        std::size_t first = lines.size() > ReportedDebugLines ? lines.size() - ReportedDebugLines : 0;
        for (std::size_t i = first; i < lines.size(); ++i)
            text += "\n  " + lines[i];
    }
    return text;
}

}  // namespace driver
