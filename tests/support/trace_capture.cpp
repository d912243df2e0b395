#include "tests/support/trace_capture.h"

#include <windows.h>

#include <mutex>

namespace {

#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006
#endif

std::mutex LinesLock;
std::vector<std::string> CapturedLines;

LONG CALLBACK OnException(EXCEPTION_POINTERS *info)
{
    const EXCEPTION_RECORD *record = info->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const char *text = reinterpret_cast<const char *>(record->ExceptionInformation[1]);
    std::size_t length = static_cast<std::size_t>(record->ExceptionInformation[0]);
    if (text) {
        std::lock_guard<std::mutex> hold(LinesLock);
        // The length counts the terminating zero.
        CapturedLines.emplace_back(text, length ? length - 1 : 0);
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

TraceCapture::TraceCapture() : handler_(AddVectoredExceptionHandler(1, OnException))
{
    Clear();
}

TraceCapture::~TraceCapture()
{
    RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> TraceCapture::Lines() const
{
    std::lock_guard<std::mutex> hold(LinesLock);
    return CapturedLines;
}

bool TraceCapture::Contains(const std::string &text) const
{
    for (const std::string &line : Lines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

void TraceCapture::Clear()
{
    std::lock_guard<std::mutex> hold(LinesLock);
    CapturedLines.clear();
}
