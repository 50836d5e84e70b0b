// The native dialog's drop of 10,000 files (their URIs read, the files
// renamed, what happened said) against the command line renaming the same
// files from a list, interleaved: each adds a prefix and takes it off again.
// Usage: dialog_bench PROGRAM (the command line, build/linux/brindle).
#include "linux/dialog/DroppedUris.h"
#include "linux/dialog/MainWindow.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    return posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) == 0 &&
           waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_bench PROGRAM\n");
        return 2;
    }
    const std::string program = argv[1];
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const std::size_t files = 10000;
    QList<QUrl> plain, prefixed;
    std::ofstream plainList(folder.filePath("plain").toStdString()), prefixedList(folder.filePath("x").toStdString());
    for (std::size_t i = 0; i < files; ++i) {
        const QString name = folder.filePath(QString("file %1.txt").arg(i));
        std::ofstream(name.toStdString());
        plain << QUrl::fromLocalFile(name);
        prefixed << QUrl::fromLocalFile(folder.filePath(QString("x_file %1.txt").arg(i)));
        plainList << name.toStdString() << '\0';
        prefixedList << folder.filePath(QString("x_file %1.txt").arg(i)).toStdString() << '\0';
    }
    plainList.close();
    prefixedList.close();

    DialogState state;
    state.affix = L"x_";
    CMainWindow window(TextsFor(false), state);
    auto drop = [&](const QList<QUrl>& uris) {
        QStringList refused;
        return window.RenameFiles(LocalPaths(uris, refused));
    };
    std::vector<double> dialog, command;
    bool every = true;
    for (int round = 0; round < 5; ++round) {
        dialog.push_back(Seconds([&] { every = drop(plain) && drop(prefixed) && every; }));
        command.push_back(Seconds([&] {
            every = Run({program, "-0", "-a", "x_", "-p", "-l", folder.filePath("plain").toStdString()}) &&
                    Run({program, "-0", "-a", "x_", "-p", "-l", folder.filePath("x").toStdString()}) && every;
        }));
    }
    std::printf("drop of 10,000 files (added, then taken off): dialog %.1f ms, command line %.1f ms, ratio %.2f "
                "(target <= 1.2)%s\n",
                Median(dialog) * 1e3, Median(command) * 1e3, Median(dialog) / Median(command),
                every ? "" : "; NOT EVERY FILE WAS RENAMED");
    return every ? 0 : 1;
}
