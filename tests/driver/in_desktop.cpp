// dusklit_in_desktop.exe: runs a program inside a Wine virtual desktop and
// returns that program's exit code.
//
//   dusklit_in_desktop.exe [--desktop=NAME] [--size=WxH] [--timeout=SECONDS] program [arguments...]
//
// A program that changes the display mode needs a desktop whose size Wine
// controls: on a bare X server the mode change is refused. Wine starts such
// a desktop with `explorer /desktop=NAME,WxH command`, and every process
// started from inside it shares it. But explorer does not pass the exit
// code of its command back, and it may outlive that command, so it cannot
// stand in a ctest entry by itself.
//
// This launcher therefore starts explorer with itself as the command, in
// an inner role. The inner launcher starts the program inside the desktop
// with its standard output and error going to a file, waits for it, and
// writes its process id and then its exit code into a result file. The
// outer launcher copies the output file to its own output as it grows,
// waits for the exit code to appear, and exits with it. On time-out it ends
// the program and fails.
//
// Defaults: desktop "dusklit-tests", 1024x768, 540 seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/driver/program_driver.h"

namespace {

constexpr DWORD PollMs = 100;
// How long the program may take to start once explorer has run.
constexpr DWORD StartLimitMs = 120000;
constexpr int TimedOutCode = 124;
constexpr int FailedCode = 125;

struct Options {
    std::string desktop = "dusklit-tests";
    std::string size = "1024x768";
    DWORD timeoutMs = 540000;
    std::vector<std::string> command;  // program and arguments
};

// Quotes one argument the way the C runtime's command-line reader undoes it.
std::string Quote(const std::string &argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string JoinQuoted(const std::vector<std::string> &words)
{
    std::string line;
    for (const std::string &word : words)
        line += (line.empty() ? "" : " ") + Quote(word);
    return line;
}

void Say(const std::string &text)
{
    std::fprintf(stderr, "dusklit_in_desktop: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string TempFile(const char *prefix)
{
    char directory[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    if (!GetTempPathA(sizeof directory, directory) || !GetTempFileNameA(directory, prefix, 0, name))
        return "";
    return name;
}

std::string ReadWhole(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0 && text.size() < 4096)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

void WriteWhole(const std::string &path, const std::string &text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// The value after "key " on a complete line of the result file.
bool ResultValue(const std::string &result, const std::string &key, long long &value)
{
    std::size_t at = 0;
    while ((at = result.find(key + " ", at)) != std::string::npos) {
        if (at == 0 || result[at - 1] == '\n') {
            std::size_t end = result.find('\n', at);
            if (end == std::string::npos)
                return false;  // still being written
            value = std::strtoll(result.c_str() + at + key.size() + 1, nullptr, 10);
            return true;
        }
        at += key.size();
    }
    return false;
}

// Copies what the output file gained since the last call to our output.
class OutputRelay {
public:
    explicit OutputRelay(const std::string &path) : path_(path) {}
    ~OutputRelay()
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    void Pump()
    {
        if (file_ == INVALID_HANDLE_VALUE)
            file_ = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
        if (file_ == INVALID_HANDLE_VALUE)
            return;
        char buffer[4096];
        DWORD read = 0;
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        while (ReadFile(file_, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            DWORD written = 0;
            WriteFile(out, buffer, read, &written, nullptr);
        }
    }

private:
    std::string path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

void EndProgram(const std::string &resultPath)
{
    long long pid = 0;
    if (!ResultValue(ReadWhole(resultPath), "pid", pid) || pid <= 0)
        return;
    HANDLE program = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!program)
        return;
    TerminateProcess(program, TimedOutCode);
    WaitForSingleObject(program, 10000);
    CloseHandle(program);
}

int RunOuter(const Options &options)
{
    std::string resultPath = TempFile("dkr");
    std::string outputPath = TempFile("dko");
    if (resultPath.empty() || outputPath.empty()) {
        Say("cannot make temporary files");
        return FailedCode;
    }
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::vector<std::string> inner = {self, "--inner", resultPath, outputPath};
    for (const std::string &word : options.command)
        inner.push_back(word);
    inner[4] = driver::WindowsPath(inner[4]);
    std::string line = "explorer.exe /desktop=" + options.desktop + "," + options.size + " " + JoinQuoted(inner);

    // explorer may stay as long as the desktop lives: it must not hold our
    // output open, or whoever reads it would wait for the desktop too.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    PROCESS_INFORMATION explorer{};
    line.push_back('\0');
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &explorer)) {
        Say("cannot start explorer (error " + std::to_string(GetLastError()) + ")");
        return FailedCode;
    }
    CloseHandle(explorer.hThread);

    OutputRelay relay(outputPath);
    const DWORD start = GetTickCount();
    bool explorerEnded = false;
    DWORD explorerEndedAt = 0;
    int code = FailedCode;
    for (;;) {
        relay.Pump();
        std::string result = ReadWhole(resultPath);
        long long value = 0;
        if (ResultValue(result, "exit", value)) {
            code = static_cast<int>(value);
            break;
        }
        DWORD now = GetTickCount();
        if (now - start >= options.timeoutMs) {
            Say("time-out after " + std::to_string(options.timeoutMs / 1000) + " s; ending the program");
            EndProgram(resultPath);
            code = TimedOutCode;
            break;
        }
        bool started = ResultValue(result, "pid", value);
        if (!explorerEnded && WaitForSingleObject(explorer.hProcess, 0) == WAIT_OBJECT_0) {
            explorerEnded = true;
            explorerEndedAt = now;
        }
        if (!started && explorerEnded && now - explorerEndedAt >= StartLimitMs) {
            Say("the program was not started inside the desktop");
            break;
        }
        Sleep(PollMs);
    }
    Sleep(PollMs);
    relay.Pump();
    CloseHandle(explorer.hProcess);
    CloseHandle(nothing);
    DeleteFileA(resultPath.c_str());
    DeleteFileA(outputPath.c_str());
    Say(options.command[0] + " ended with exit code " + std::to_string(code));
    return code;
}

int RunInner(const std::string &resultPath, const std::string &outputPath, const std::vector<std::string> &command)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION program{};
    std::string line = JoinQuoted(command);
    line.push_back('\0');
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &program)) {
        WriteWhole(resultPath, "pid 0\nexit " + std::to_string(FailedCode) + "\n");
        return FailedCode;
    }
    WriteWhole(resultPath, "pid " + std::to_string(program.dwProcessId) + "\n");
    WaitForSingleObject(program.hProcess, INFINITE);
    DWORD code = FailedCode;
    GetExitCodeProcess(program.hProcess, &code);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    CloseHandle(output);
    CloseHandle(nothing);
    WriteWhole(resultPath,
               "pid " + std::to_string(program.dwProcessId) + "\nexit " + std::to_string(static_cast<int>(code)) + "\n");
    return static_cast<int>(code);
}

bool TakeOption(const std::string &word, const char *name, std::string &value)
{
    std::string prefix = std::string(name) + "=";
    if (word.rfind(prefix, 0) != 0)
        return false;
    value = word.substr(prefix.size());
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() >= 4 && words[0] == "--inner")
        return RunInner(words[1], words[2], std::vector<std::string>(words.begin() + 3, words.end()));

    Options options;
    std::size_t i = 0;
    for (; i < words.size() && words[i].rfind("--", 0) == 0; ++i) {
        std::string value;
        if (TakeOption(words[i], "--desktop", options.desktop) || TakeOption(words[i], "--size", options.size))
            continue;
        if (TakeOption(words[i], "--timeout", value)) {
            long seconds = std::strtol(value.c_str(), nullptr, 10);
            if (seconds > 0 && seconds < 86400)
                options.timeoutMs = static_cast<DWORD>(seconds) * 1000;
            continue;
        }
        Say("unknown option " + words[i]);
        return FailedCode;
    }
    options.command.assign(words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
    if (options.command.empty()) {
        Say("usage: dusklit_in_desktop [--desktop=NAME] [--size=WxH] [--timeout=SECONDS] program [arguments...]");
        return FailedCode;
    }
    return RunOuter(options);
}
