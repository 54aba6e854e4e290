#include "rename/VistaPrevia.h"

#include "platform/paths.h"
#include "rename/formparts.h"

#include <QHelpEvent>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolTip>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace {
QPlainTextEdit *NameColumn(QWidget *parent, const char *name)
{
    auto *editor = Named(new QPlainTextEdit(parent), name);
    editor->setReadOnly(true);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    GreyBackground(editor);
    return editor;
}
} // namespace

TfVistaPrevia::TfVistaPrevia(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fVistaPrevia"));
    setWindowTitle(QStringLiteral("Vista previa"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Splitter1 = Named(new QSplitter(Qt::Horizontal, this), "Splitter1");
    Splitter1->setChildrenCollapsible(false);
    mOrigen = NameColumn(Splitter1, "mOrigen");
    mDestino = NameColumn(Splitter1, "mDestino");
    Splitter1->addWidget(mOrigen);
    Splitter1->addWidget(mDestino);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Splitter1, 1);
    lbMarcas = Named(new QLabel(this), "lbMarcas");
    lbMarcas->setWordWrap(true);
    lbMarcas->hide();
    layout->addWidget(lbMarcas);
    AddAcceptCancelBar(this, layout, sbAceptar, sbSalir);

    // Both sides scroll together, so each old name stays beside its new one.
    QScrollBar *left = mOrigen->verticalScrollBar();
    QScrollBar *right = mDestino->verticalScrollBar();
    connect(left, &QScrollBar::valueChanged, right, &QScrollBar::setValue);
    connect(right, &QScrollBar::valueChanged, left, &QScrollBar::setValue);

    mDestino->viewport()->installEventFilter(this);
    connect(sbAceptar, &QPushButton::clicked, this, &TfVistaPrevia::sbAceptarClick);
    connect(sbSalir, &QPushButton::clicked, this, &TfVistaPrevia::sbSalirClick);

    setMinimumSize(200, 200);
    resize(419, 340);
    CentreOnScreen(this);
}

namespace {
// A soft red that reads on light and dark themes alike behind the editor's own text colour.
QColor MarkColour(const QPalette &palette)
{
    QColor mark(220, 60, 60);
    const QColor base = palette.color(QPalette::Base);
    return QColor((mark.red() + 3 * base.red()) / 4, (mark.green() + 3 * base.green()) / 4,
                  (mark.blue() + 3 * base.blue()) / 4);
}
} // namespace

void TfVistaPrevia::ShowNames(const QStringList &oldNames, const QStringList &newNames)
{
    mOrigen->setPlainText(VisibleNameLines(oldNames));
    mDestino->setPlainText(VisibleNameLines(newNames));
    MarkLines(marks_);
}

void TfVistaPrevia::MarkLines(const QStringList &reasons)
{
    marks_ = reasons;
    QList<QTextEdit::ExtraSelection> marked;
    QMap<QString, int> counts;
    QTextBlock block = mDestino->document()->firstBlock();
    for (qsizetype i = 0; i < reasons.size() && block.isValid(); ++i, block = block.next()) {
        if (reasons[i].isEmpty())
            continue;
        ++counts[reasons[i]];
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.format.setBackground(MarkColour(mDestino->palette()));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        marked.append(selection);
    }
    mDestino->setExtraSelections(marked);
    int total = 0;
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        total += it.value();
        parts.append(QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value()));
    }
    lbMarcas->setVisible(total > 0);
    if (total == 1)
        lbMarcas->setText(QStringLiteral("La línea marcada no se podrá renombrar: %1.").arg(counts.firstKey()));
    else
        lbMarcas->setText(QStringLiteral("Las %1 líneas marcadas no se podrán renombrar: %2.")
                              .arg(total)
                              .arg(parts.join(QStringLiteral(", "))));
}

bool TfVistaPrevia::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mDestino->viewport() && event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int line = mDestino->cursorForPosition(help->pos()).blockNumber();
        const QString reason = marks_.value(line);
        if (reason.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), reason, mDestino->viewport());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfVistaPrevia::sbAceptarClick() { done(QDialog::Accepted); }

void TfVistaPrevia::sbSalirClick() { done(QDialog::Rejected); }
