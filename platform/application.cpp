#include "platform/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

QString ProgramName() { return QStringLiteral("Carvento Utilities"); }

QString DesktopId() { return QStringLiteral(CV_APP_ID); }

QIcon ProgramIcon()
{
    // Nothing else refers to the resource's object inside the static library, so the
    // linker would leave it out of the program.
    Q_INIT_RESOURCE(carvento);
    return QIcon::fromTheme(DesktopId(), QIcon(QStringLiteral(":/icons/%1.svg").arg(DesktopId())));
}

bool HasGraphicalSession(const QProcessEnvironment &env)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!env.value(QString::fromLatin1(name)).isEmpty())
            return true;
    }
    return false;
}

QString NoGraphicalSessionMessage()
{
    return QStringLiteral("Carvento Utilities necesita una sesión gráfica y no ha encontrado ninguna "
                          "que funcione (revise DISPLAY o WAYLAND_DISPLAY).");
}

namespace {

void SayNoGraphicalSession()
{
    std::fprintf(stderr, "%s\n", NoGraphicalSessionMessage().toLocal8Bit().constData());
    std::fflush(stderr);
}

// What Qt says while the application starts, kept until it is known whether a display was
// found: then it goes to the usual place, or, when Qt gives up, only our one line is said.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> heldMessages;

void HoldWhileStarting(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        // No platform plugin could start: Qt would abort after this.
        SayNoGraphicalSession();
        std::_Exit(1);
    }
    heldMessages.push_back({type, QByteArray(context.category ? context.category : "default"), text});
}

} // namespace

std::unique_ptr<QApplication> StartApplication(int &argc, char **argv)
{
    if (!HasGraphicalSession()) {
        SayNoGraphicalSession();
        return nullptr;
    }
    const QtMessageHandler usual = qInstallMessageHandler(HoldWhileStarting);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(usual);
    for (const HeldMessage &message : std::exchange(heldMessages, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    SetUpApplication();
    return application;
}

namespace {
// Texts Qt's Spanish translations of this version lack: the type column of the file dialog.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const std::pair<const char *, const char *> texts[] = {
            {"Folder", "Carpeta"}, {"Drive", "Unidad"}, {"File", "Fichero"},
            {"%1 File", "Fichero %1"}, {"Shortcut", "Acceso directo"}, {"Alias", "Alias"}};
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0)
            for (const auto &[english, spanish] : texts)
                if (qstrcmp(source, english) == 0)
                    return QString::fromUtf8(spanish);
        return QString();
    }
};
} // namespace

bool LoadQtTranslations()
{
    // Searched last, so Qt's own translation of the same text wins where there is one.
    QCoreApplication::installTranslator(new MissingQtTexts(QCoreApplication::instance()));
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    QGuiApplication::setDesktopFileName(DesktopId());
    QApplication::setWindowIcon(ProgramIcon());
    LoadQtTranslations();
}
