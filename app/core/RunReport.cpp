#include "app/core/RunReport.h"

#include "app/core/PathList.h"

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

namespace {

// Each reason's word in a result file and its words for people: what the run
// did, and what a dry run says instead (the new name where %s stands).
struct ReasonText {
    ItemReason reason;
    const char* word;
    const char* said;
    const char* saidDry;
};

const ReasonText kReasons[] = {
    {ItemReason::Done, "done", "renamed", "would be renamed"},
    {ItemReason::Again, "again", "named again: renamed once", "named again: renamed once"},
    {ItemReason::SameItem, "same-item", "the same item was renamed earlier in this run, under another name",
     "the same item would be renamed before it, under another name"},
    {ItemReason::NotAnItem, "not-an-item", "it names no file or folder that can be renamed", nullptr},
    {ItemReason::Missing, "missing", "no such file or folder", nullptr},
    {ItemReason::FolderMoved, "folder-moved", "its folder was renamed earlier in this run",
     "its folder would be renamed before it"},
    {ItemReason::Link, "link", "a symbolic link; Wine would rename what it points to", nullptr},
    {ItemReason::MountPoint, "mount-point", "a file system is mounted there, and a mount point cannot be moved", nullptr},
    {ItemReason::InUse, "in-use", "another program has it open", nullptr},
    {ItemReason::Denied, "denied", "permission denied", nullptr},
    {ItemReason::NoTime, "no-time", "its last-write time cannot be read", nullptr},
    {ItemReason::OneWay, "one-way", "a second run could not give this name back", nullptr},
    {ItemReason::BadName, "bad-name", "the new name is one this system cannot hold", nullptr},
    {ItemReason::Backslash, "backslash",
     "its name holds a backslash, which the affix language reads as a folder: the new name could not be told apart",
     nullptr},
    {ItemReason::TooLong, "too-long", "the new name or path is too long", nullptr},
    {ItemReason::Taken, "taken", "%s exists", nullptr},
    {ItemReason::NoFolder, "no-folder", "no folder to hold %s", nullptr},
    {ItemReason::InsideItself, "inside-itself", "%s lies inside the item itself", nullptr},
    {ItemReason::OtherVolume, "other-volume", "%s is on another file system, and a rename never copies", nullptr},
    {ItemReason::NoSafeRename, "no-safe-rename",
     "this file system cannot rename without a chance of replacing what is there", nullptr},
    {ItemReason::NotInPlace, "not-in-place",
     "the file system cannot move this folder in place (it lies in an overlay's lower layer), and a rename never "
     "copies",
     nullptr},
    {ItemReason::ReadOnly, "read-only", "the file system is read-only", nullptr},
    {ItemReason::NoSpace, "no-space", "no space (or quota) left on the file system for the new name", nullptr},
    {ItemReason::ChangedName, "changed-name", "the file system would not keep the name %s exactly", nullptr},
    {ItemReason::Stranded, "stranded",
     "the file system changed its new name %s and would not give the old one back: look for it there", nullptr},
    {ItemReason::OtherItem, "other-item", "another item has its new name now", nullptr},
    {ItemReason::NoAffix, "no-affix", "no affix: none given, and none in the dialog", nullptr},
    {ItemReason::Carried, "carried", "it carries the affix already, and only adding was asked", nullptr},
    {ItemReason::NotCarried, "not-carried", "it does not carry the affix, and only taking it off was asked",
     nullptr},
    {ItemReason::Stopped, "stopped", "the run was stopped before it", nullptr},
    {ItemReason::Failed, "failed", "the system refused to rename it", nullptr},
};
static_assert(sizeof kReasons / sizeof kReasons[0] == static_cast<int>(ItemReason::Failed) + 1,
              "words for every reason");

const ReasonText& TextOf(ItemReason reason)
{
    const ReasonText& text = kReasons[static_cast<int>(reason)];
    return text.reason == reason ? text : kReasons[static_cast<int>(ItemReason::Failed)];
}

}  // namespace

const char* ReasonWord(ItemReason reason)
{
    return TextOf(reason).word;
}

const char* ReasonSaid(ItemReason reason, bool dryRun)
{
    const ReasonText& text = TextOf(reason);
    return dryRun && text.saidDry ? text.saidDry : text.said;
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
