#pragma once

#include <QString>
#include <QStringList>

// What the dialog says, in one of its two languages: the window's own texts
// are brindle.exe's, word for word; the rest is what only the Linux face says.
struct DialogTexts {
    QString affix, position, head, end, topMost, sendTo, history, help, exit;
    QString tags, dropHint, manualPage, undo;
    QStringList tagDescriptions;  // in the order of the affix's tags
    // Linux's own.
    QString tagButton, renamed, kept, notLocal, nothingToUndo, undone, noAffix;
    QString topMostOnWayland, sendToWithoutLauncher;
};

// The texts of the face: Japanese or English.
const DialogTexts& TextsFor(bool japanese);
// Whether the desktop speaks Japanese: the language messages are shown in,
// as the locale's variables name it.
bool JapaneseDesktop();
