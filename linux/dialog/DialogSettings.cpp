#include "linux/dialog/DialogSettings.h"

#include "linux/SettingsPlace.h"
#include "settings/SettingsFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// The platform's window placement record, as brindle.exe stores it.
struct Placement {
    std::uint32_t length = sizeof(Placement), flags = 0, showCommand = 1;
    std::int32_t minX = -1, minY = -1, maxX = -1, maxY = -1;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
static_assert(sizeof(Placement) == 44, "the placement record is 44 bytes");
const std::uint32_t kShowMinimized = 2;
// A damaged corner far out of any screen's range is not followed.
const std::int32_t kFarAway = 0x1000000;
// The most history items read back: what the Windows dialog reads.
const int kMaxHistory = 256;

bool Checked(CMapData& settings, const wchar_t* key, int fallback)
{
    CMapData& map = settings.Map(key);
    return (map.HasInteger(L"Check") ? map.Integer(L"Check") : fallback) == 1;
}

}  // namespace

const std::vector<int>& DialogState::HistoryCounts()
{
    static const std::vector<int> counts{0, 3, 5, 10, 20};
    return counts;
}

DialogState StateFrom(CMapData& settings)
{
    DialogState state;
    CMapData& affix = settings.Map(L"Affix");
    state.affix = affix.String(L"Text");
    const int size = std::min(affix.Integer(L"Size"), kMaxHistory);
    for (int i = 0; i < size; ++i)
        state.history.push_back(affix.Map(std::to_wstring(i)).String(L"Text"));
    CMapData& history = settings.Map(L"History");
    const int index = history.HasInteger(L"Index") ? history.Integer(L"Index") : 2;
    state.historyIndex = index >= 0 && index < static_cast<int>(DialogState::HistoryCounts().size()) ? index : 2;
    state.topMost = Checked(settings, L"TopMostWindow", 0);
    state.sendTo = Checked(settings, L"SendTo", 0);
    // Exactly one position: Start unless only End is checked.
    state.head = !(Checked(settings, L"Suffix", 0) && !Checked(settings, L"Prefix", 1));
    Placement placement;
    if (settings.GetRecord(L"WindowPlacement", placement)) {
        state.placed = true;
        state.minimized = placement.showCommand == kShowMinimized;
        state.left = std::clamp(placement.left, -kFarAway, kFarAway);
        state.top = std::clamp(placement.top, -kFarAway, kFarAway);
        state.width = std::clamp(placement.right - state.left, 0, kFarAway);
        state.height = std::clamp(placement.bottom - state.top, 0, kFarAway);
    }
    return state;
}

CMapData SettingsOf(const DialogState& state)
{
    CMapData settings(1);
    CMapData& affix = settings.Map(L"Affix");
    affix.String(L"Text") = state.affix;
    affix.Integer(L"Size") = static_cast<int>(state.history.size());
    for (std::size_t i = 0; i < state.history.size(); ++i)
        affix.Map(std::to_wstring(i)).String(L"Text") = state.history[i];
    settings.Map(L"History").Integer(L"Index") = state.historyIndex;
    settings.Map(L"TopMostWindow").Integer(L"Check") = state.topMost ? 1 : 0;
    settings.Map(L"SendTo").Integer(L"Check") = state.sendTo ? 1 : 0;
    settings.Map(L"Prefix").Integer(L"Check") = state.head ? 1 : 0;
    settings.Map(L"Suffix").Integer(L"Check") = state.head ? 0 : 1;
    if (state.placed) {
        Placement placement;
        placement.showCommand = state.minimized ? kShowMinimized : 1;
        placement.left = state.left;
        placement.top = state.top;
        placement.right = state.left + state.width;
        placement.bottom = state.top + state.height;
        settings.PutRecord(L"WindowPlacement", placement);
    }
    return settings;
}

DialogState LoadDialogState(const std::string& path, const std::string& fallback)
{
    // A settings file is small: anything larger is not one.
    const qint64 kLargest = 1 << 20;
    for (const std::string& candidate : {path, fallback}) {
        QFile file(QString::fromStdString(candidate));
        if (candidate.empty() || !QFileInfo(file).isFile() || file.size() > kLargest ||
            !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.read(kLargest);
        std::vector<unsigned char> image(bytes.begin(), bytes.end());
        CMapData settings;
        LoadMapImage(image, settings);
        return StateFrom(settings);
    }
    CMapData none;
    return StateFrom(none);
}

bool SaveDialogState(const std::string& path, const DialogState& state)
{
    if (path.empty())
        return false;
    const QString name = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(name).path());
    const std::vector<unsigned char> image = CompressedImage(SettingsOf(state));
    QSaveFile file(name);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size())) ==
               static_cast<qint64>(image.size()) &&
           file.commit();
}
