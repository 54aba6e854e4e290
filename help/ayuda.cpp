#include "help/ayuda.h"

#include "platform/placement.h"
#include "update/addresses.h"
#include "widgets/buttons.h"
#include "widgets/linepicture.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

QStringList HelpLines()
{
    const QString web = QString::fromLatin1(Addresses::WebPage);
    const QString mail = QString::fromLatin1(Addresses::Mail);
    return {
        QStringLiteral("*  Deja unos segundos el puntero del ratón sobre cualquiera de los botones para "),
        QStringLiteral("   que muestre una pequeña descripción de la función del botón."),
        QString(),
        QStringLiteral("* En la página web ") + web + QStringLiteral(" tienes un pequeño manual del "),
        QStringLiteral("  renombrador por si quieres consultar algo. Puedes pulsar el botón que pone "),
        QStringLiteral("  www para visitar la web."),
        QString(),
        QStringLiteral("* El manejo del Cv-tag es muy simple. Selecciona los ficheros que quieres"),
        QStringLiteral("  modificar. Automáticamente se crea una lista interna con los tags de esos "),
        QStringLiteral("  ficheros. Para ver y moverte entre estos datos usa las fechas azules que hay "),
        QStringLiteral("  en la parte inferior izquierda de la pantalla. Cambia lo que quieras y sálvalo "),
        QStringLiteral("  con los botones en forma de disquete. Existe un botón a la derecha de las "),
        QStringLiteral("  fechas de navegación cuya función es salvar SÓLO los datos del fichero "),
        QStringLiteral("  que está seleccionado. Para cambiar un valor en TODOS los ficheros de "),
        QStringLiteral("  golpe existe un botón con discos azules al lado de cada casilla de edición."),
        QStringLiteral("  Púlsalo si deseas guardar ese valor en todos los ficheros seleccionados, por"),
        QStringLiteral("  ejemplo, para salvar el nombre del álbum o el autor."),
        QString(),
        QStringLiteral("* Si encuentras algún fallo o tienes alguna sugerencia no dudes en escribirme a "),
        QStringLiteral("  la dirección ") + mail + QStringLiteral(". Pulsa en el botón del buzón que hay en esta"),
        QStringLiteral("  ventana, abajo a la izquierda, si quieres enviarme un correo."),
    };
}

namespace {
// The theme may have no mail picture; an envelope drawn here stands in for it.
QIcon MailIcon()
{
    const QIcon themed = QIcon::fromTheme(QStringLiteral("mail-message-new"),
                                          QIcon::fromTheme(QStringLiteral("internet-mail")));
    if (!themed.isNull())
        return themed;
    QPixmap picture(44, 44);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x30, 0x40, 0x70), 2.5));
    painter.setBrush(QColor(0xFA, 0xF6, 0xE8));
    const QRectF body(4, 10, 36, 25);
    painter.drawRoundedRect(body, 2, 2);
    painter.drawPolyline(QPolygonF{body.topLeft() + QPointF(1, 1), QPointF(22, 25), body.topRight() + QPointF(-1, 1)});
    painter.end();
    return QIcon(picture);
}

// The lines of the text are broken by hand: the window is as wide as its longest line in the
// user's own font (at least its design width, at most the screen's), and scrolls sideways
// beyond that, rather than wrapping the lines raggedly or shrinking the letters.
int WidthForText(const QPlainTextEdit *memo, const QStringList &lines, int least, const QScreen *screen)
{
    const QFontMetrics metrics(memo->font());
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int scrollBar = memo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, memo);
    const int wanted = widest + 2 * memo->frameWidth() + scrollBar + 2 * int(memo->document()->documentMargin()) + 4;
    const int room = screen ? screen->availableGeometry().width() : wanted;
    return std::max(least, std::min(wanted, room));
}

QToolButton *FlatButton(QWidget *parent, const char *name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setIconSize(QSize(22, 22));
    return button;
}
} // namespace

TfAyuda::TfAyuda(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fAyuda"));
    setWindowTitle(QStringLiteral("Ayuda"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setPlainText(HelpLines().join(u'\n'));
    // The grey of the window, light or dark as the scheme is.
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
    Memo1->setPalette(palette);
    const QScreen *screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int width = WidthForText(Memo1, HelpLines(), 412, screen);
    setMinimumSize(width, 120);
    setMaximumWidth(width);
    resize(width, 355);

    const QString web = QString::fromLatin1(Addresses::WebPage);
    const QString mail = QString::fromLatin1(Addresses::Mail);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(35);
    sbMail = FlatButton(Panel1, "sbMail");
    sbMail->setIcon(MailIcon());
    sbMail->setToolTip(QStringLiteral("Envíame un mail a ") + mail);
    sbWeb = FlatButton(Panel1, "sbWeb");
    sbWeb->setText(QStringLiteral("www"));
    QFont bold = sbWeb->font();
    bold.setBold(true);
    sbWeb->setFont(bold);
    QPalette blue = sbWeb->palette();
    blue.setColor(QPalette::ButtonText, ReadableBlue(blue));
    sbWeb->setPalette(blue);
    sbWeb->setToolTip(QStringLiteral("Abrir página ") + web);
    sbSalir = FlatButton(Panel1, "sbSalir");
    sbSalir->setText(QStringLiteral("&Cerrar"));
    sbSalir->setIcon(Picture("window-close", QStyle::SP_DialogCloseButton));
    sbSalir->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(sbMail, &QToolButton::clicked, this, &TfAyuda::sbMailClick);
    connect(sbWeb, &QToolButton::clicked, this, &TfAyuda::sbWebClick);
    connect(sbSalir, &QToolButton::clicked, this, &TfAyuda::sbSalirClick);

    // Mail and web at the left, "Cerrar" in the middle.
    auto *panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(4, 2, 4, 2);
    panel->addWidget(sbMail);
    panel->addWidget(sbWeb);
    panel->addStretch(1);
    panel->addWidget(sbSalir);
    panel->addStretch(1);
    panel->addSpacing(sbMail->sizeHint().width() + sbWeb->sizeHint().width() + panel->spacing());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Memo1, 1);
    layout->addWidget(Panel1);

    CentreOnScreen(this);
}

void TfAyuda::sbMailClick() { QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(Addresses::Mail))); }

void TfAyuda::sbWebClick() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(Addresses::WebPage))); }

void TfAyuda::sbSalirClick() { close(); }
