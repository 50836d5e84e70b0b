#include "RunReport.h"

#include "PathList.h"

namespace {

void AppendField(const std::wstring& text, std::string& out)
{
    std::wstring shown = text;
    for (wchar_t& c : shown)
        if (static_cast<unsigned long>(c) < 0x20)
            c = L'\uFFFD';
    AppendAsUtf8(shown, out);
}

}  // namespace

ItemResult KeptItem(const CItemPath& path, ItemReason reason)
{
    ItemResult result;
    result.from = path;
    result.reason = reason;
    return result;
}

const char* StatusWord(ItemStatus status)
{
    switch (status) {
    case ItemStatus::Renamed:
        return "renamed";
    case ItemStatus::WouldRename:
        return "would-rename";
    case ItemStatus::Kept:
        break;
    }
    return "kept";
}

const char* ReasonWord(ItemReason reason)
{
    static const char* const kWords[] = {
        "done",      "again",         "same-item",    "not-an-item", "missing",    "folder-moved",
        "link",      "mount-point",   "in-use",       "denied",      "no-time",    "one-way",
        "bad-name",  "too-long",      "taken",        "no-folder",   "inside-itself", "other-volume",
        "changed-name", "stranded",   "other-item",   "no-affix",    "stopped",    "failed",
    };
    static_assert(sizeof kWords / sizeof kWords[0] == static_cast<int>(ItemReason::Failed) + 1,
                  "a word for every reason");
    return kWords[static_cast<int>(reason)];
}

std::string ResultText(const std::vector<ItemResult>& results)
{
    std::string text;
    for (const ItemResult& result : results) {
        text += StatusWord(result.status);
        text += '\t';
        AppendField(result.from.Full(), text);
        text += '\t';
        if (result.to.HasName())
            AppendField(result.to.Full(), text);
        text += '\t';
        text += ReasonWord(result.reason);
        text += '\n';
    }
    return text;
}
