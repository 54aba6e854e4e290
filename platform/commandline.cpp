#include "platform/commandline.h"

#include "update/versionrules.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

const QString Program = QStringLiteral("carvento-utilities");

QString HelpText()
{
    return QStringLiteral(
               "Uso: %1 [OPCIÓN] [CARPETA | FICHERO]\n"
               "Renombra ficheros en bloque y edita las etiquetas ID3 de los MP3.\n"
               "\n"
               "Con una carpeta, abre el Renombrador en ella. Con un fichero MP3, abre Cv-Tag en su\n"
               "carpeta con el fichero elegido y sus etiquetas a la vista; con cualquier otro\n"
               "fichero, el Renombrador en su carpeta con el fichero elegido. Sin nada, abre las\n"
               "carpetas de la última vez.\n"
               "\n"
               "Opciones:\n"
               "  -h, --help       muestra esta ayuda y termina\n"
               "      --version    muestra la versión y termina\n")
        .arg(Program);
}

CommandLine Fail(const QString &why, int status)
{
    CommandLine command;
    command.action = CommandLine::Action::Fail;
    command.text = Program + QStringLiteral(": ") + why + u'\n';
    command.status = status;
    return command;
}

} // namespace

CommandLine ReadCommandLine(const QStringList &arguments, const QString &currentFolder)
{
    QStringList paths;
    QString unknown;
    bool optionsEnd = false;
    for (const QString &argument : arguments) {
        if (!optionsEnd && argument == u"--") {
            optionsEnd = true;
        } else if (!optionsEnd && (argument == u"--help" || argument == u"-h")) {
            return {CommandLine::Action::Print, HelpText(), {}, 0};
        } else if (!optionsEnd && argument == u"--version") {
            return {CommandLine::Action::Print, QStringLiteral("Carvento Utilities %1\n").arg(VersionNumbers(ProgramVersion())), {}, 0};
        } else if (!optionsEnd && argument.startsWith(u'-') && argument.size() > 1) {
            if (unknown.isEmpty())
                unknown = argument;
        } else {
            paths.append(argument);
        }
    }
    if (!unknown.isEmpty())
        return Fail(QStringLiteral("opción desconocida «%1»\nPruebe «%2 --help» para más información.")
                        .arg(unknown, Program),
                    2);
    if (paths.size() > 1)
        return Fail(QStringLiteral("sólo se puede abrir una carpeta o un fichero a la vez"), 2);
    CommandLine command;
    if (paths.isEmpty())
        return command;
    const QFileInfo target(QDir(currentFolder), paths.first());
    if (paths.first().isEmpty() || !target.exists())
        return Fail(QStringLiteral("no existe «%1»").arg(paths.first()), 1);
    command.path = QDir::cleanPath(target.absoluteFilePath());
    return command;
}

int FinishCommandLine(const CommandLine &command)
{
    const QByteArray text = command.text.toLocal8Bit();
    std::FILE *stream = command.action == CommandLine::Action::Print ? stdout : stderr;
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stream);
    std::fflush(stream);
    return command.status;
}
