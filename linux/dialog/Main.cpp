// The dialog's native Linux program: with no paths, the window (or the one
// already open, brought to the front); with paths, renames them with the
// affix and position the dialog last saved, shows nothing, and ends.
#include "linux/Messages.h"
#include "linux/SettingsPlace.h"
#include "linux/dialog/DialogSettings.h"
#include "linux/dialog/DialogTexts.h"
#include "linux/dialog/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Where a running dialog listens: in the user's own runtime folder.
QString InstanceName()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return (runtime.isEmpty() ? QDir::tempPath() : runtime) + "/brindle-dialog";
}

// True when a dialog already runs: it has been asked to come to the front.
bool RaiseRunningDialog(const QString& name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

// The file managers' entries this user has, as the launcher records them.
bool EntriesInstalled()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QFileInfo record(data + "/brindle/installed-files");
    return record.isFile() && record.size() > 0;
}

// A session's end (SIGTERM, SIGHUP) or Ctrl-C closes the dialog as Exit
// does, so it saves its settings: the signal only writes a byte, which the
// event loop reads.
int signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

void CloseOnSignals(QWidget& window)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] { window.close(); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// Ends the program once the window it watches has been drawn.
class CQuitWhenPainted : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    UseTheUsersLanguage();
    QApplication::setApplicationName("brindle");
    QApplication::setDesktopFileName("brindle");
    const DialogTexts& texts = TextsFor(JapaneseDesktop());
    const std::string settingsPath = DialogSettingsPath();
    DialogState state = LoadDialogState(settingsPath, FallbackSettingsPath());
    state.sendTo = EntriesInstalled();

    // Paths given: a run of its own, beside any dialog, that saves nothing.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty()) {
        std::vector<std::string> paths;
        for (int i = 1; i < argc; ++i)
            paths.emplace_back(argv[i]);
        CMainWindow window(texts, state);
        const bool renamed = window.RenameFiles(paths);
        const QString said = window.outcome->toolTip();
        std::fprintf(stderr, "%s\n", said.toUtf8().constData());
        // Opened from a file manager there is no terminal: what kept its
        // name is said in a notification too (notify-send reads backslashes).
        if (!renamed && !isatty(STDERR_FILENO))
            QProcess::execute("notify-send", {"--app-name=Brindle", "--icon=brindle", "Brindle",
                                              QString(said).replace("\\", "\\\\")});
        return renamed ? 0 : 1;
    }

    const QString name = InstanceName();
    if (RaiseRunningDialog(name))
        return 0;
    QLocalServer::removeServer(name);
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    server.listen(name);

    CMainWindow window(texts, state);
    QObject::connect(&server, &QLocalServer::newConnection, &window, [&] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
            window.show();
            window.raise();
            window.activateWindow();
        }
    });
    // The checkout's launcher, or the command installed beside the dialog.
    QString launcher = qEnvironmentVariable("BRINDLE_LAUNCHER");
    const QString installed = QCoreApplication::applicationDirPath() + "/brindle";
    if (launcher.isEmpty() && QFileInfo(installed).isExecutable())
        launcher = installed;
    if (launcher.isEmpty()) {
        window.sendToBox->setEnabled(false);
        window.sendToBox->setToolTip(texts.sendToWithoutLauncher);
    }
    QObject::connect(&window, &CMainWindow::SendToChanged, &window, [&](bool wanted) {
        QProcess::execute(launcher, {wanted ? "--install" : "--uninstall"});
        window.sendToBox->setChecked(EntriesInstalled());
    });
    CloseOnSignals(window);
    window.show();
    // For the benchmarks: the time from start to the window drawn.
    if (qEnvironmentVariableIsSet("BRINDLE_QUIT_WHEN_SHOWN"))
        window.installEventFilter(new CQuitWhenPainted(&window));
    const int status = QApplication::exec();
    SaveDialogState(settingsPath, window.State());
    return status;
}
