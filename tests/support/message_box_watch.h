// Answers this process's message boxes while the object lives, and keeps
// what each one said. A background thread looks for dialog boxes of the
// process, reads their caption and text, and presses the chosen button,
// so a test that triggers a message box never waits on a person.
#pragma once
#include <windows.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    std::string caption;
    std::string text;
};

class MessageBoxWatch {
public:
    explicit MessageBoxWatch(int answer = IDOK);
    ~MessageBoxWatch();
    MessageBoxWatch(const MessageBoxWatch &) = delete;
    MessageBoxWatch &operator=(const MessageBoxWatch &) = delete;

    int Count() const;
    std::vector<SeenMessageBox> Seen() const;

private:
    void Watch();
    void Answer(HWND box);

    int answer_;
    std::atomic<bool> stop_{false};
    mutable std::mutex lock_;
    std::vector<SeenMessageBox> seen_;
    std::vector<HWND> answered_;
    std::promise<void> started_;
    std::thread thread_;
};
