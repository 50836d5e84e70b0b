#include "linux/dialog/DialogTexts.h"

#include <cstdlib>
#include <string>

namespace {

DialogTexts English()
{
    DialogTexts t;
    t.affix = "&Affix:";
    t.position = "Position";
    t.head = "&Start";
    t.end = "&End";
    t.topMost = "Always on &top";
    t.sendTo = "Add to Se&nd To menu";
    t.history = "Histor&y:";
    t.help = "&Help";
    t.exit = "E&xit";
    t.tags = "&Tags";
    t.dropHint = "Drop files or folders here to rename them";
    t.manualPage = "en.html";
    t.undo = "Undo last rename\tCtrl+Z";
    t.tagDescriptions = {"Year, 2 digits", "Year, 4 digits", "Month", "Day", "Hour", "Minute", "Second",
                         "The item's own date for the tags after it"};
    t.tagButton = "Insert a date tag";
    t.renamed = "Renamed %1 of %2.";
    t.kept = "Kept %1: %2";
    t.notLocal = "Not a file on this computer: %1";
    t.nothingToUndo = "Nothing to undo.";
    t.undone = "Gave %1 of %2 back their names.";
    t.noAffix = "Type an affix first: nothing was renamed.";
    t.topMostOnWayland = "Wayland lets no window keep itself on top or choose its place";
    t.sendToWithoutLauncher = "Start Brindle through its ./brindle launcher to add or remove the file managers' entries";
    return t;
}

DialogTexts Japanese()
{
    DialogTexts t;
    t.affix = "追加する文字";
    t.position = "追加・削除位置";
    t.head = "先頭";
    t.end = "末尾";
    t.topMost = "ウィンドウを常に最前面に表示";
    t.sendTo = "「送る(&N)」メニューに登録する";
    t.history = "履歴の保持数";
    t.help = "ヘルプ";
    t.exit = "終了";
    t.tags = "タグ(&T)";
    t.dropHint = "ファイルをD&Dするとファイル名が変更されます";
    t.manualPage = "index.html";
    t.undo = "元に戻す\tCtrl+Z";
    t.tagDescriptions = {"現在の年(2桁)", "現在の年(4桁)", "現在の月(2桁)", "現在の日(2桁)",
                         "現在の時(2桁)", "現在の分(2桁)", "現在の秒(2桁)", "以降のタグはファイルの更新日時"};
    t.tagButton = "日付のタグを挿入";
    t.renamed = "%2 件中 %1 件の名前を変更しました。";
    t.kept = "%1 はそのままです: %2";
    t.notLocal = "このコンピューターのファイルではありません: %1";
    t.nothingToUndo = "元に戻すものはありません。";
    t.undone = "%2 件中 %1 件の名前を元に戻しました。";
    t.noAffix = "追加する文字を入力してください。名前は変わっていません。";
    t.topMostOnWayland = "Wayland ではウィンドウが自分を最前面に保つことも位置を選ぶこともできません";
    t.sendToWithoutLauncher = "ファイルマネージャーへの登録は ./brindle から起動したときに使えます";
    return t;
}

}  // namespace

const DialogTexts& TextsFor(bool japanese)
{
    static const DialogTexts english = English(), japaneseTexts = Japanese();
    return japanese ? japaneseTexts : english;
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set decides, as it does
// for every program's messages; LANGUAGE only where that is not C.
bool JapaneseDesktop()
{
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
        return false;
    const char* language = std::getenv("LANGUAGE");
    if (language && *language)
        locale = language;
    return locale.rfind("ja", 0) == 0;
}
