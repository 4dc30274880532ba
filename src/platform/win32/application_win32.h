#pragma once
#include "platform/application.h"
#include "platform/win32/handles.h"

class ApplicationWin32 : public Application {
public:
    ApplicationWin32();
    std::wstring ExeFolder() const override { return folder_; }
    std::wstring ExeTitle() const override { return title_; }
    std::wstring ShortPath(const std::wstring& path) const override;
    bool PreviousInstanceRunning() override;
    void EndNow() override { ended_ = true; }
    bool Ended() const { return ended_; }

private:
    std::wstring folder_;
    std::wstring title_;
    handles::Kernel instanceMutex_;
    bool ended_ = false;
};
