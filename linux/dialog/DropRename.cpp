#include "linux/dialog/DropRename.h"

#include "app/core/AffixRule.h"
#include "app/core/RenameRun.h"
#include "linux/NamedItems.h"
#include "linux/PosixItemStore.h"
#include "linux/Text.h"

#include <algorithm>

std::size_t DropOutcome::Renamed() const
{
    return static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(), [](const ItemResult& result) { return result.Moved(); }));
}

DropOutcome RenameDropped(const std::vector<std::string>& paths, const std::wstring& affix, AffixPosition position,
                          const TagTime& now)
{
    DropOutcome outcome;
    CNamedItems named;
    std::vector<const char*> found;
    for (const std::string& path : paths) {
        int error = 0;
        const CNamedItems::Fault fault = named.Add(path.c_str(), error);
        if (fault == CNamedItems::Fault::None)
            found.push_back(path.c_str());
        else
            outcome.unnamed.push_back({path, CNamedItems::Said(fault, error)});
    }
    CAffixRule rule(affix, now, position, ComposeCanonically);
    rule.KeepOtherForms(true);
    CPosixItemStore store(L"/");
    store.UseFirstLooks(&named);
    CRenameRun run(rule, store, RunOptions{false, true});
    for (std::size_t i = 0; i < found.size(); ++i) {
        std::wstring path;
        if (named.Path(i, found[i], path))
            run.Rename(path);
        else
            outcome.unnamed.push_back({found[i], "its name is not valid UTF-8"});
    }
    outcome.results = run.Results();
    return outcome;
}

std::vector<ItemResult> UndoDrop(const std::vector<ItemResult>& renamed)
{
    CPosixItemStore store(L"/");
    std::vector<ItemResult> undone;
    for (auto item = renamed.rbegin(); item != renamed.rend(); ++item)
        if (item->Moved())
            undone.push_back(RenameBack(store, *item));
    return undone;
}
