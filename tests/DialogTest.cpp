// The native Linux dialog, offscreen: its settings beside brindle.exe's, the
// history rule, tags at the caret, dropped URIs, drops renamed and undone,
// and its texts against brindle.exe's resources.
#include "linux/SettingsPlace.h"
#include "linux/dialog/DialogSettings.h"
#include "linux/dialog/DialogTexts.h"
#include "linux/dialog/DroppedUris.h"
#include "linux/dialog/MainWindow.h"
#include "settings/SettingsFile.h"
#include "SettingsSamples.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QDropEvent>
#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>

namespace {

class Dialog : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "dialog_tests";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication application(argc, argv);
    }
    std::string Path(const char* name) const { return (folder.path() + "/" + name).toStdString(); }
    bool Exists(const char* name) const { return QFile::exists(folder.path() + "/" + name); }
    void Touch(const char* name) const { std::ofstream(Path(name)) << name; }
    QTemporaryDir folder;
};

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

TEST_F(Dialog, HistoryKeepsEachTextOnceNewestFirstCutToTheCount)
{
    struct Row {
        QStringList before;
        QString text;
        int limit;
        QStringList after;
    } rows[] = {
        {{}, "a_", 5, {"a_"}},
        {{"b_", "a_"}, "a_", 5, {"a_", "b_"}},
        {{"c_", "b_", "a_"}, "d_", 3, {"d_", "c_", "b_"}},
        {{"c_", "b_"}, "d_", 0, {}},
        {{"c_", "b_"}, "d_", -1, {"d_", "c_", "b_"}},  // no count chosen: nothing cut
    };
    for (const Row& row : rows) {
        QComboBox box;
        box.setEditable(true);
        box.addItems(row.before);
        box.setEditText("typed");
        CMainWindow::AddToHistory(box, row.text, row.limit);
        EXPECT_EQ(Items(box), row.after) << row.text.toStdString();
        EXPECT_EQ(box.currentText(), "typed");
    }
}

TEST_F(Dialog, TagsGoWhereTheCaretWasAndFollowEachOther)
{
    CMainWindow window(TextsFor(false), DialogState());
    window.affixBox->setEditText("ABCD");
    window.affixBox->lineEdit()->setCursorPosition(2);
    window.tagButton->click();
    const QList<QAction*> tags = window.tagMenu->actions();
    ASSERT_EQ(tags.size(), 8);
    EXPECT_TRUE(tags[3]->text().startsWith("\\d\tDay"));
    tags[3]->trigger();
    tags[2]->trigger();
    EXPECT_EQ(window.affixBox->currentText(), "AB\\d\\mCD");
    window.tagMenu->close();
}

TEST_F(Dialog, OnlyLocalFileUrisNameItemsByTheirBytes)
{
    QStringList refused;
    const auto paths = LocalPaths({QUrl::fromEncoded("file:///tmp/a%20b%25c%23d.txt."),
                                   QUrl::fromEncoded("file://localhost/%E6%97%A5%E6%9C%AC/%F0%9F%93%B7"),
                                   QUrl::fromEncoded("file:///raw%FFbyte"), QUrl::fromEncoded("file:///d/"),
                                   QUrl::fromEncoded("file://elsewhere.example/x"), QUrl::fromEncoded("https://x/y"),
                                   QUrl::fromEncoded("file:///a%00b"), QUrl::fromEncoded("file:///q?x")},
                                  refused);
    EXPECT_EQ(paths, (std::vector<std::string>{"/tmp/a b%c#d.txt.", "/日本/📷", "/raw\xFF" "byte", "/d/"}));
    EXPECT_EQ(refused.size(), 4);
}

TEST_F(Dialog, SettingsAreBrindleExesFileBothWays)
{
    // brindle.exe's tree gives the state, and that state gives the same tree.
    CMapData tree = ProgramTree(20);
    const std::int32_t placement[11] = {44, 0, 1, -1, -1, -1, -1, 120, 80, 420, 330};
    tree.PutRecord(L"WindowPlacement", placement);
    CMapData loaded = tree;
    const DialogState state = StateFrom(loaded);
    EXPECT_EQ(state.history.size(), 20u);
    EXPECT_FALSE(state.head);
    EXPECT_TRUE(state.topMost);
    EXPECT_EQ(state.historyIndex, 4);
    EXPECT_EQ(state.left, 120);
    EXPECT_EQ(state.height, 250);
    EXPECT_TRUE(SettingsOf(state) == tree);

    // Saved byte for byte as brindle.exe saves it, and read back.
    const std::string path = Path("config/brindle/brindle.dat");
    ASSERT_TRUE(SaveDialogState(path, state));
    std::ifstream file(path, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<unsigned char> image = CompressedImage(tree);
    EXPECT_EQ(saved, std::string(image.begin(), image.end()));
    EXPECT_TRUE(SettingsOf(LoadDialogState(path, "")) == tree);

    // Missing, damaged or huge: brindle.exe's defaults, one position checked.
    std::ofstream(Path("damaged.dat")) << std::string("\x01\0\0\0garbage", 11);
    std::ofstream(Path("huge.dat")) << std::string(2 << 20, 'x');
    for (const char* name : {"missing.dat", "damaged.dat", "huge.dat"}) {
        const DialogState fresh = LoadDialogState(Path(name), "");
        EXPECT_TRUE(fresh.head && fresh.affix.empty() && fresh.history.empty()) << name;
        EXPECT_EQ(fresh.historyIndex, 2) << name;
        EXPECT_FALSE(fresh.placed) << name;
    }
    CMapData both;
    both.Map(L"Prefix").Integer(L"Check") = 1;
    both.Map(L"Suffix").Integer(L"Check") = 1;
    both.Map(L"History").Integer(L"Index") = 9;
    EXPECT_TRUE(StateFrom(both).head);
    EXPECT_EQ(StateFrom(both).historyIndex, 2);
}

TEST_F(Dialog, ADropRenamesByLinuxRulesSaysWhatItKeptAndUndoes)
{
    for (const char* name : {"a b.txt", "日本.txt", "dot.", "x_taken", "taken", "Case"})
        Touch(name);
    QFile::link(folder.path() + "/nowhere", folder.path() + "/link");
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder"));
    DialogState state;
    state.affix = L"x_";
    CMainWindow window(TextsFor(false), state);
    const std::vector<std::string> dropped{Path("a b.txt"), Path("日本.txt"), Path("dot."), Path("folder"),
                                           Path("taken"), Path("link"), Path("gone")};
    EXPECT_FALSE(window.RenameFiles(dropped));
    for (const char* name : {"x_a b.txt", "x_日本.txt", "x_dot.", "x_folder", "x_link", "taken", "Case"})
        EXPECT_TRUE(Exists(name) || QFileInfo(folder.path() + "/" + name).isSymLink()) << name;
    const QString said = window.outcome->toolTip();
    EXPECT_TRUE(said.startsWith("Renamed 5 of 7.")) << said.toStdString();
    EXPECT_TRUE(said.contains("taken")) << said.toStdString();
    EXPECT_TRUE(said.contains("gone: no such file or folder")) << said.toStdString();
    EXPECT_EQ(Items(*window.affixBox), QStringList{"x_"});

    window.undoAction->trigger();
    for (const char* name : {"a b.txt", "日本.txt", "dot.", "folder", "x_taken"})
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_TRUE(window.outcome->text().startsWith("Gave 5 of 5 back"));
    EXPECT_FALSE(window.undoAction->isEnabled());

    // At the end: a second drop takes it off again.
    window.endButton->setChecked(true);
    EXPECT_TRUE(window.RenameFiles({Path("a b.txt")}));
    EXPECT_TRUE(Exists("a bx_.txt"));
    EXPECT_TRUE(window.RenameFiles({Path("a bx_.txt")}));
    EXPECT_TRUE(Exists("a b.txt"));
}

TEST_F(Dialog, ControlsShowTheSavedStateAndGiveItBack)
{
    CMapData tree = ProgramTree(7);
    const DialogState saved = StateFrom(tree);
    CMainWindow window(TextsFor(true), saved);
    EXPECT_EQ(window.affixBox->currentText().toStdWString(), saved.affix);
    EXPECT_EQ(window.affixBox->count(), 7);
    EXPECT_EQ(window.historyCountBox->currentText(), "20");
    EXPECT_TRUE(window.endButton->isChecked());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.headButton->text(), "先頭");
    const DialogState back = window.State();
    EXPECT_EQ(back.affix, saved.affix);
    EXPECT_EQ(back.history, saved.history);
    EXPECT_EQ(back.historyIndex, 4);
    EXPECT_FALSE(back.head);
    EXPECT_TRUE(back.topMost);

    // Choosing a smaller count cuts the history at once; the text stays.
    window.historyCountBox->setCurrentIndex(1);
    EXPECT_EQ(window.affixBox->count(), 3);
    EXPECT_EQ(window.affixBox->currentText().toStdWString(), saved.affix);
}

TEST_F(Dialog, ADropAnywhereRenamesLocalItemsAndNamesWhatItRefused)
{
    Touch("dropped.txt");
    DialogState state;
    state.affix = L"d_";
    CMainWindow window(TextsFor(false), state);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder.path() + "/dropped.txt"), QUrl("sftp://host/file")});
    data.setText(folder.path() + "/dropped.txt");  // as file managers offer it too
    // As a drag arrives over the affix text: entered first, which makes the
    // window (not the text field) the drop's target.
    QWidget* field = window.affixBox->lineEdit();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &drop);
    EXPECT_EQ(window.affixBox->currentText(), "d_");
    EXPECT_TRUE(Exists("d_dropped.txt")) << window.outcome->toolTip().toStdString();
    EXPECT_TRUE(window.outcome->text().startsWith("Renamed 1 of 1.")) << window.outcome->text().toStdString();
    EXPECT_TRUE(window.outcome->text().contains("Not a file on this computer: sftp://host/file"));
}

// Where the settings live, as the XDG rules read the variables.
TEST_F(Dialog, SettingsLiveWhereXdgSays)
{
    struct Row {
        const char *config, *home, *path;
    } rows[] = {
        {"/x/config", "/home/u", "/x/config/brindle/brindle.dat"},
        {"relative", "/home/u", "/home/u/.config/brindle/brindle.dat"},
        {"", "/home/u", "/home/u/.config/brindle/brindle.dat"},
        {nullptr, "/home/u", "/home/u/.config/brindle/brindle.dat"},
        {nullptr, nullptr, ""},
        {"", "relative", ""},
    };
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME"), home = qgetenv("HOME");
    for (const Row& row : rows) {
        row.config ? qputenv("XDG_CONFIG_HOME", row.config) : qunsetenv("XDG_CONFIG_HOME");
        row.home ? qputenv("HOME", row.home) : qunsetenv("HOME");
        EXPECT_EQ(DialogSettingsPath(), row.path) << (row.config ? row.config : "(unset)");
    }
    hadConfig ? qputenv("XDG_CONFIG_HOME", config) : qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home);
}

// Each face's texts are brindle.exe's, in its resources' language block.
TEST_F(Dialog, TextsAreTheResourcesOwn)
{
    std::ifstream file(BRINDLE_RESOURCES "/brindle.rc");
    std::stringstream whole;
    whole << file.rdbuf();
    const std::string rc = whole.str();
    const std::size_t english = rc.find("LANGUAGE LANG_ENGLISH");
    ASSERT_NE(english, std::string::npos);
    const std::string blocks[] = {rc.substr(0, english), rc.substr(english)};
    for (const bool japanese : {true, false}) {
        const DialogTexts& t = TextsFor(japanese);
        const std::string& block = blocks[japanese ? 0 : 1];
        QStringList texts{t.affix, t.position, t.head, t.end, t.topMost, t.sendTo, t.history,
                          t.help, t.exit, t.tags, t.dropHint, t.manualPage, QString(t.undo).replace("\t", "\\t")};
        texts += t.tagDescriptions;
        for (const QString& text : texts)
            EXPECT_NE(block.find(text.toStdString() + "\""), std::string::npos) << text.toStdString();
    }
}

}  // namespace
