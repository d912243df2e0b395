// dusklit_runshot.exe: the headless run of scripts/run.sh.
//
//   dusklit_runshot.exe [--animate=SECONDS] [--linger=SECONDS] program [arguments...]
//
// Starts the program (brix.scr), answers Yes when the demo asks to use a
// window (a bare X server refuses its full-screen mode), lets the demo
// animate, presses Escape, lets the framework's mode run for a moment and
// then ends it: it closes the mode's windows (a dialog with Cancel) and, if
// that does not end the program, terminates it.
//
// When the command line selects the configuration (/c, or nothing at all)
// it waits for the property sheet, opens the About box through the
// sheet's system menu as a user would, closes it with OK and ends the
// sheet with Cancel, which changes no setting.
//
// At the moments worth a picture it writes "shot NAME" on its standard
// output ("shot demo", then "shot mode", or "shot sheet" and "shot about"
// for the configuration) and reads one line from its standard input before
// going on, so whoever runs it can take a screenshot in between. Without
// anyone answering (input at its end) it goes straight on. Its last line
// is "exit N", and N is its own exit code too.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "resources/resource_ids.h"
#include "tests/driver/program_driver.h"

namespace {

constexpr DWORD CloseLimitMs = 10000;

void Line(const std::string &text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// Asks for a screenshot and waits until it has been taken.
void Shot(const char *name)
{
    Line(std::string("shot ") + name);
    char answer[64];
    if (!std::fgets(answer, sizeof answer, stdin))
        return;
}

bool IsDemoWindow(const driver::WindowInfo &window)
{
    return window.className == "OpenGL";
}

bool IsModeQuestion(const driver::WindowInfo &window)
{
    return window.IsDialog() && window.title == "Brix GL";
}

// Whether the framework reads the arguments as the configuration mode: an
// empty line, or a switch whose letter is C (after one "-" and one "/").
bool SelectsConfiguration(const std::string &arguments)
{
    std::size_t at = arguments.find_first_not_of(' ');
    if (at == std::string::npos)
        return true;
    if (arguments[at] == '-')
        ++at;
    if (at < arguments.size() && arguments[at] == '/')
        ++at;
    return at < arguments.size() && (arguments[at] == 'c' || arguments[at] == 'C');
}

// A window that has just appeared may not have painted all its controls
// yet; the picture should show it finished.
void PaintSettles()
{
    Sleep(driver::Limit(1500));
}

const char *const SheetCaption = "Screen Saver Properties";
const char *const AboutCaption = "About Dusklit";

// The configuration sheet, then the About box from its system menu: a
// picture of each, then OK on the About box and Cancel on the sheet.
void ShowConfiguration(driver::ProgramDriver &program)
{
    auto sheet = program.WaitForMessageBox(SheetCaption);
    if (!sheet) {
        Line("no \"" + std::string(SheetCaption) + "\" appeared");
        return;
    }
    Line("sheet: " + driver::Describe(sheet->window));
    PaintSettles();
    Shot("sheet");

    // What choosing "&About" in the system menu sends to the sheet.
    PostMessageA(sheet->Handle(), WM_SYSCOMMAND, IDM_ABOUT, 0);
    auto about = program.WaitForMessageBox(AboutCaption);
    if (!about) {
        Line("no \"" + std::string(AboutCaption) + "\" appeared");
        return;
    }
    Line("about: " + driver::Describe(about->window));
    PaintSettles();
    Shot("about");
    if (!program.Answer(*about, IDOK))
        Line("the About box did not close on OK");
    if (!program.Answer(*sheet, IDCANCEL))
        Line("the sheet did not close on Cancel");
}

// Closes what the framework's mode shows, the way a user would.
void CloseEverything(driver::ProgramDriver &program)
{
    for (const driver::WindowInfo &window : program.Windows()) {
        if (window.IsDialog())
            PostMessageA(window.handle, WM_COMMAND, IDCANCEL, 0);
        else
            driver::PostCloseRequest(window.handle);
    }
}

DWORD Seconds(const std::string &text, DWORD fallback)
{
    long value = std::strtol(text.c_str(), nullptr, 10);
    return value >= 0 && value < 3600 ? static_cast<DWORD>(value) : fallback;
}

}  // namespace

int main(int argc, char **argv)
{
    DWORD animateSeconds = 4;
    DWORD lingerSeconds = 3;
    int first = 1;
    for (; first < argc && std::string(argv[first]).rfind("--", 0) == 0; ++first) {
        std::string option = argv[first];
        if (option.rfind("--animate=", 0) == 0)
            animateSeconds = Seconds(option.substr(10), animateSeconds);
        else if (option.rfind("--linger=", 0) == 0)
            lingerSeconds = Seconds(option.substr(9), lingerSeconds);
    }
    if (first >= argc) {
        Line("usage: dusklit_runshot [--animate=SECONDS] [--linger=SECONDS] program [arguments...]");
        return 2;
    }
    std::string arguments;
    for (int i = first + 1; i < argc; ++i)
        arguments += (arguments.empty() ? "" : " ") + std::string(argv[i]);

    driver::ProgramDriver program(argv[first]);
    driver::StartOptions options;
    options.captureDebugOutput = false;
    if (!program.Start(arguments, options)) {
        Line("cannot start " + program.ProgramPathForWindows());
        return 2;
    }
    Line("started " + program.ProgramPathForWindows() + (arguments.empty() ? "" : " " + arguments));

    auto first_sight = program.WaitForWindow(
        [](const driver::WindowInfo &w) { return IsDemoWindow(w) || IsModeQuestion(w); },
        "the demo window or its question");
    if (first_sight && IsModeQuestion(*first_sight)) {
        driver::MessageBoxInfo box = driver::ReadMessageBox(first_sight->handle);
        Line("the display refused the full-screen mode; answering Yes to \"" + box.caption + "\"");
        program.Answer(box, IDYES);
    }
    auto demo = program.WaitForWindowOfClass("OpenGL");
    if (!demo) {
        Line(program.Report());
        Line("exit 2");
        return 2;
    }
    Line("demo: " + driver::Describe(*demo));
    Sleep(driver::Limit(animateSeconds * 1000));
    Shot("demo");

    driver::PostKeyDown(demo->handle, VK_ESCAPE);
    program.WaitUntilGone(demo->handle);
    Line("Escape pressed; the demo window is gone");
    if (SelectsConfiguration(arguments)) {
        ShowConfiguration(program);
    } else {
        driver::WaitUntil([&] { return !program.Running(); }, lingerSeconds * 1000);
        if (program.Running()) {
            Line("mode windows:" + driver::Describe(program.Windows()));
            Shot("mode");
        } else {
            Line("the framework's mode ended by itself");
        }
    }
    if (program.Running()) {
        CloseEverything(program);
        if (!driver::WaitUntil([&] { return !program.Running(); }, CloseLimitMs)) {
            Line("the mode did not close; ending the program");
            program.Terminate();
        }
    }
    std::optional<DWORD> code = program.WaitForExit(CloseLimitMs);
    int result = code ? static_cast<int>(*code) : 2;
    Line("exit " + std::to_string(result) + (program.EndedByDriver() ? " (ended by the runner)" : ""));
    return result;
}
