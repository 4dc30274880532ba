#pragma once
#include <string>

// The running program as the system sees it.
class Application {
public:
    virtual ~Application() = default;
    virtual std::wstring ExeFolder() const = 0;
    virtual std::wstring ExeTitle() const = 0;   // file name without extension
    // The 8.3 form of an existing path, plain ASCII; empty when there is none.
    virtual std::wstring ShortPath(const std::wstring& path) const = 0;
    virtual bool PreviousInstanceRunning() = 0;
    virtual void EndNow() = 0;                   // refused second instance
};
