// Collects what this process sends to the debug-output channel while the
// object lives. OutputDebugStringA raises a first-chance exception that a
// vectored handler sees before anyone else; the handler keeps the text and
// lets the call go on as if no debugger were attached.
#pragma once
#include <string>
#include <vector>

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture &) = delete;
    TraceCapture &operator=(const TraceCapture &) = delete;

    std::vector<std::string> Lines() const;
    // True when some captured line contains text.
    bool Contains(const std::string &text) const;
    void Clear();

private:
    void *handler_;
};
