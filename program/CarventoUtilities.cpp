#include "main/main.h"
#include "platform/application.h"
#include "platform/commandline.h"
#include "tags/SaveGroup.h"

#include <QApplication>
#include <QDir>

namespace {
QStringList Arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    // --help and --version need no display. Other mistakes are told once Qt has taken its
    // own options (-style, -platform…) away.
    if (const CommandLine early = ReadCommandLine(Arguments(argc, argv), QDir::currentPath());
        early.action == CommandLine::Action::Print)
        return FinishCommandLine(early);
    const std::unique_ptr<QApplication> app = StartApplication(argc, argv);
    if (!app)
        return 1;
    const CommandLine command = ReadCommandLine(QCoreApplication::arguments().mid(1), QDir::currentPath());
    if (command.action != CommandLine::Action::Run)
        return FinishCommandLine(command);
    cvtags::RecoverInterruptedSaves();           // saves a crash cut short, before any window
    const RenameRecovery renames = RecoverInterruptedRenames(); // and renames

    TfUtilities fUtilities;
    fUtilities.OpenPath(command.path);
    fUtilities.show();
    ReportRenameRecovery(&fUtilities, renames);
    return app->exec();
}
