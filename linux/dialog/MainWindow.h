#pragma once

#include "app/core/RunReport.h"
#include "linux/dialog/DialogSettings.h"
#include "linux/dialog/DialogTexts.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QMimeData;
class QRadioButton;
class QToolButton;

// The dialog's native Linux face: the affix with its history, the position,
// the tag menu, always on top, the history count, help and exit. Files and
// folders dropped on it are renamed at once; what a drop kept, and why, is
// said in the window.
class CMainWindow : public QWidget {
    Q_OBJECT
public:
    CMainWindow(const DialogTexts& texts, const DialogState& state, QWidget* parent = nullptr);

    // The state to save: the controls' and the window's.
    DialogState State() const;
    // Renames the paths with the affix and position shown; says what
    // happened. True when every path got its new name.
    bool RenameFiles(const std::vector<std::string>& paths);
    // Gives the items of the last drop that renamed any their names back.
    void UndoLastDrop();
    // Puts a tag into the affix text where the caret was when the tag menu
    // was opened, and leaves the caret after it.
    void InsertTag(const QString& tag);
    // Adds a text to the top of the history: each text once, cut to limit
    // items (none cut below 0); the edit text stays.
    static void AddToHistory(QComboBox& box, const QString& text, int limit);

    // The controls, for the program's own tests.
    QComboBox* affixBox = nullptr;
    QComboBox* historyCountBox = nullptr;
    QCheckBox* topMostBox = nullptr;
    QCheckBox* sendToBox = nullptr;
    QRadioButton* headButton = nullptr;
    QRadioButton* endButton = nullptr;
    QToolButton* tagButton = nullptr;
    QMenu* tagMenu = nullptr;
    QLabel* outcome = nullptr;
    QAction* undoAction = nullptr;

signals:
    // The file managers' entries are to be added (true) or removed.
    void SendToChanged(bool wanted);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Build(const DialogState& state);
    void ApplyTopMost(bool on);
    int HistoryLimit() const;
    void Say(const QStringList& lines);
    void Guarded(const std::function<void()>& work);
    // Renames what a drop names; says what it refused.
    void RenameFromDrop(const QMimeData& dropped);

    const DialogTexts& texts_;
    int insertPos_ = 0;
    std::vector<ItemResult> lastDrop_;
};
