#include "linux/dialog/MainWindow.h"

#include "app/core/AffixRule.h"
#include "linux/Messages.h"
#include "linux/PosixItemStore.h"
#include "linux/Text.h"
#include "linux/dialog/DropRename.h"
#include "linux/dialog/DroppedUris.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString FromWide(const std::wstring& text)
{
    return QString::fromStdWString(text);
}

// A path as the user reads it: its bytes as UTF-8, others shown escaped.
QString Readable(const std::string& bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool OnWayland()
{
    return QGuiApplication::platformName().startsWith("wayland");
}

// Where the manual lies: where the launcher says (the copy built in the
// checkout), else where it was installed.
QString ManualPage(const QString& page)
{
    const QString installed = QCoreApplication::applicationDirPath() + "/" + BRINDLE_MANUAL_DIR;
    for (const QString& folder : {qEnvironmentVariable("BRINDLE_MANUAL_DIR"), installed}) {
        const QString path = folder + "/" + page;
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

}  // namespace

CMainWindow::CMainWindow(const DialogTexts& texts, const DialogState& state, QWidget* parent)
    : QWidget(parent), texts_(texts)
{
    setWindowTitle("Brindle");
    setAcceptDrops(true);
    Build(state);
}

void CMainWindow::Build(const DialogState& state)
{
    auto* affixLabel = new QLabel(texts_.affix, this);
    affixBox = new QComboBox(this);
    affixBox->setEditable(true);
    affixBox->setInsertPolicy(QComboBox::NoInsert);
    // Files dropped on the affix text are renamed, as anywhere on the window:
    // the text field would otherwise take their paths as text.
    affixBox->setAcceptDrops(false);
    affixBox->lineEdit()->setAcceptDrops(false);
    affixBox->setAccessibleName(QString(texts_.affix).remove('&').remove(':'));
    affixLabel->setBuddy(affixBox);
    for (const std::wstring& item : state.history)
        affixBox->addItem(FromWide(item));
    affixBox->setEditText(FromWide(state.affix));

    tagButton = new QToolButton(this);
    tagButton->setText(">");
    tagButton->setAccessibleName(texts_.tagButton);
    tagButton->setToolTip(texts_.tagButton);
    tagMenu = new QMenu(texts_.tags, this);
    for (std::size_t i = 0; i < kDateTagCount; ++i) {
        const QString tag = FromWide(kDateTags[i].tag);
        QAction* action = tagMenu->addAction(tag + "\t" + texts_.tagDescriptions.value(static_cast<int>(i)));
        connect(action, &QAction::triggered, this, [this, tag] { InsertTag(tag); });
    }
    // The caret's place is taken as the menu opens: the button has the focus then.
    connect(tagButton, &QToolButton::clicked, this, [this] {
        insertPos_ = affixBox->lineEdit()->cursorPosition();
        tagMenu->popup(tagButton->mapToGlobal(QPoint(0, 0)));
    });

    auto* positionBox = new QGroupBox(texts_.position, this);
    headButton = new QRadioButton(texts_.head, positionBox);
    endButton = new QRadioButton(texts_.end, positionBox);
    auto* positions = new QButtonGroup(this);
    positions->addButton(headButton);
    positions->addButton(endButton);
    (state.head ? headButton : endButton)->setChecked(true);
    auto* positionLayout = new QHBoxLayout(positionBox);
    positionLayout->addWidget(headButton);
    positionLayout->addWidget(endButton);

    topMostBox = new QCheckBox(texts_.topMost, this);
    topMostBox->setChecked(state.topMost);
    if (OnWayland()) {
        topMostBox->setEnabled(false);
        topMostBox->setToolTip(texts_.topMostOnWayland);
    }
    connect(topMostBox, &QCheckBox::toggled, this, &CMainWindow::ApplyTopMost);

    sendToBox = new QCheckBox(texts_.sendTo, this);
    sendToBox->setChecked(state.sendTo);
    connect(sendToBox, &QCheckBox::clicked, this, &CMainWindow::SendToChanged);

    auto* historyLabel = new QLabel(texts_.history, this);
    historyCountBox = new QComboBox(this);
    for (const int count : DialogState::HistoryCounts())
        historyCountBox->addItem(QString::number(count));
    historyCountBox->setCurrentIndex(state.historyIndex);
    historyLabel->setBuddy(historyCountBox);
    connect(historyCountBox, &QComboBox::currentIndexChanged, this, [this] {
        const int limit = HistoryLimit();
        while (limit >= 0 && affixBox->count() > limit) {
            const QString text = affixBox->currentText();
            affixBox->removeItem(affixBox->count() - 1);
            affixBox->setEditText(text);
        }
    });

    auto* helpButton = new QPushButton(texts_.help, this);
    helpButton->setAutoDefault(false);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        const QString page = ManualPage(texts_.manualPage);
        if (!page.isEmpty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    });
    auto* exitButton = new QPushButton(texts_.exit, this);
    exitButton->setAutoDefault(false);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // Ctrl+Z takes back the last drop, except in the affix text, where it
    // takes back typing (the text field claims it first).
    undoAction = new QAction(QString(texts_.undo).section('\t', 0, 0), this);
    undoAction->setShortcut(QKeySequence::Undo);
    undoAction->setEnabled(false);
    connect(undoAction, &QAction::triggered, this, [this] { Guarded([this] { UndoLastDrop(); }); });
    addAction(undoAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* hint = new QLabel(texts_.dropHint, this);
    hint->setTextFormat(Qt::PlainText);
    hint->setAlignment(Qt::AlignCenter);
    outcome = new QLabel(this);
    outcome->setTextFormat(Qt::PlainText);
    outcome->setWordWrap(true);
    outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outcome->setAccessibleName(texts_.dropHint);

    auto* grid = new QGridLayout(this);
    grid->addWidget(affixLabel, 0, 0);
    grid->addWidget(affixBox, 0, 1);
    grid->addWidget(tagButton, 0, 2);
    grid->addWidget(positionBox, 1, 0, 1, 3);
    grid->addWidget(topMostBox, 2, 0, 1, 3);
    grid->addWidget(sendToBox, 3, 0, 1, 3);
    grid->addWidget(historyLabel, 4, 0);
    grid->addWidget(historyCountBox, 4, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addWidget(exitButton);
    grid->addLayout(buttons, 5, 0, 1, 3);
    grid->addWidget(hint, 6, 0, 1, 3);
    grid->addWidget(outcome, 7, 0, 1, 3);
    setTabOrder(affixBox, tagButton);

    ApplyTopMost(state.topMost);
    // Where it was left; else centred, as brindle.exe's dialog starts.
    adjustSize();
    if (state.placed && !OnWayland())
        move(state.left, state.top);
    else if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
    if (state.minimized)
        setWindowState(Qt::WindowMinimized);
}

void CMainWindow::ApplyTopMost(bool on)
{
    if (OnWayland() || on == windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown)
        show();
}

int CMainWindow::HistoryLimit() const
{
    bool number = false;
    const int limit = historyCountBox->currentText().toInt(&number);
    return number ? limit : -1;
}

void CMainWindow::AddToHistory(QComboBox& box, const QString& text, int limit)
{
    const QString editText = box.currentText();
    for (int i = box.count() - 1; i >= 0; --i)
        if (box.itemText(i) == text)
            box.removeItem(i);
    box.insertItem(0, text);
    while (limit >= 0 && box.count() > limit)
        box.removeItem(box.count() - 1);
    box.setEditText(editText);
}

void CMainWindow::InsertTag(const QString& tag)
{
    QString text = affixBox->currentText();
    const int at = std::clamp(insertPos_, 0, static_cast<int>(text.size()));
    text.insert(at, tag);
    affixBox->setEditText(text);
    insertPos_ = at + static_cast<int>(tag.size());
    affixBox->lineEdit()->setCursorPosition(insertPos_);
}

bool CMainWindow::RenameFiles(const std::vector<std::string>& paths)
{
    const QString affix = affixBox->currentText();
    if (affix.isEmpty()) {
        Say({texts_.noAffix});
        return paths.empty();
    }
    AddToHistory(*affixBox, affix, HistoryLimit());
    const DropOutcome done = RenameDropped(paths, affix.toStdWString(),
                                           headButton->isChecked() ? AffixPosition::Head : AffixPosition::End,
                                           LocalNow());
    QStringList lines{texts_.renamed.arg(done.Renamed()).arg(paths.size())};
    for (const DropOutcome::Unnamed& unnamed : done.unnamed)
        lines << texts_.kept.arg(Readable(unnamed.path), QString::fromUtf8(_(unnamed.why.c_str())));
    for (const ItemResult& result : done.results) {
        if (result.status != ItemStatus::Kept)
            continue;
        const std::string newName = result.to.HasName() ? Shown(SystemBytes(result.to.Name())) : std::string();
        char why[4096];
        std::snprintf(why, sizeof why, _(ReasonSaid(result.reason, false)), newName.c_str());
        lines << texts_.kept.arg(Readable(SystemBytes(result.from.Full())), QString::fromUtf8(why));
    }
    std::vector<ItemResult> moved;
    for (const ItemResult& result : done.results)
        if (result.Moved())
            moved.push_back(result);
    // A drop that renamed nothing leaves the undo of the one before.
    if (!moved.empty()) {
        lastDrop_.swap(moved);
        undoAction->setEnabled(true);
    }
    Say(lines);
    return lines.size() == 1;
}

void CMainWindow::UndoLastDrop()
{
    if (lastDrop_.empty()) {
        Say({texts_.nothingToUndo});
        return;
    }
    std::vector<ItemResult> renamed;
    renamed.swap(lastDrop_);
    undoAction->setEnabled(false);
    const std::vector<ItemResult> undone = UndoDrop(renamed);
    QStringList lines;
    std::size_t back = 0;
    for (const ItemResult& result : undone) {
        if (result.Moved()) {
            ++back;
            continue;
        }
        char why[4096];
        std::snprintf(why, sizeof why, _(ReasonSaid(result.reason, false)), "");
        lines << texts_.kept.arg(Readable(SystemBytes(result.from.Full())), QString::fromUtf8(why));
    }
    lines.prepend(texts_.undone.arg(back).arg(undone.size()));
    Say(lines);
}

void CMainWindow::Say(const QStringList& lines)
{
    // The window says it, never a box to close: the first lines, and how many more.
    const int kShown = 12;
    QStringList shown = lines.mid(0, kShown);
    if (lines.size() > kShown)
        shown << QString("… (+%1)").arg(lines.size() - kShown);
    outcome->setText(shown.join('\n'));
    outcome->setToolTip(lines.join('\n'));
}

void CMainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainWindow::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    Guarded([this, event] { RenameFromDrop(*event->mimeData()); });
}

// Nothing may leave an event handler by an exception (Qt cannot pass one on):
// what stopped a drop or an undo is said in the window instead.
void CMainWindow::Guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        Say({QString::fromUtf8(error.what())});
    }
}

void CMainWindow::RenameFromDrop(const QMimeData& dropped)
{
    QStringList refused;
    const std::vector<std::string> paths = LocalPaths(dropped.urls(), refused);
    if (!paths.empty())
        RenameFiles(paths);
    if (!refused.isEmpty()) {
        QStringList lines = paths.empty() ? QStringList() : outcome->text().split('\n');
        for (const QString& uri : refused)
            lines << texts_.notLocal.arg(uri);
        Say(lines);
    }
}

DialogState CMainWindow::State() const
{
    DialogState state;
    state.affix = affixBox->currentText().toStdWString();
    for (int i = 0; i < affixBox->count(); ++i)
        state.history.push_back(affixBox->itemText(i).toStdWString());
    state.historyIndex = historyCountBox->currentIndex() < 0 ? 2 : historyCountBox->currentIndex();
    state.topMost = topMostBox->isChecked();
    state.sendTo = sendToBox->isChecked();
    state.head = headButton->isChecked();
    state.placed = true;
    state.minimized = isMinimized();
    const QRect place = normalGeometry().isValid() ? normalGeometry() : geometry();
    state.left = place.x();
    state.top = place.y();
    state.width = place.width();
    state.height = place.height();
    return state;
}

void CMainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
}
