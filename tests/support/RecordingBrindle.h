#pragma once

#include "app/Brindle.h"

#include <string>
#include <vector>

// The main dialog keeping its settings where a test says, and recording the
// documents it is asked to open instead of opening them.
class RecordingBrindle : public CBrindle {
public:
    explicit RecordingBrindle(const std::wstring& settings)
        : CBrindle({}, L"", AffixPosition::FromDialog), settings_(settings)
    {
    }

    std::vector<std::wstring> opened;

protected:
    std::wstring SettingsPath() const override { return settings_; }
    void OpenDocument(const std::wstring& path) override { opened.push_back(path); }

private:
    std::wstring settings_;
};
