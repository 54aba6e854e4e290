#include "main/fileprogress.h"

#include "platform/busycursor.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QProgressDialog>
#include <QStyle>

#include <algorithm>

FileProgress::FileProgress(QWidget *parent, const QString &label, int fileCount)
    : dialog_(std::make_unique<QProgressDialog>(label, QStringLiteral("Cancelar"), 0, fileCount, parent))
{
    dialog_->setObjectName(QStringLiteral("FileProgress"));
    dialog_->setWindowTitle(QStringLiteral("Carvento Utilities"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(ShowAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    // Wide enough for its whole title beside the title bar's buttons, whatever the label.
    QFont titleFont = dialog_->font();
    titleFont.setBold(true);
    const int title = QFontMetrics(titleFont).horizontalAdvance(dialog_->windowTitle());
    const int titleButton = dialog_->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    dialog_->setMinimumWidth(std::max(dialog_->sizeHint().width(), title * 3 / 2 + 6 * titleButton));
}

FileProgress::~FileProgress() = default;

bool FileProgress::Continue(int index)
{
    if (dialog_->wasCanceled())
        return false;
    // A window-modal dialog handles its events while the value moves once it is shown.
    dialog_->setValue(index);
    return !dialog_->wasCanceled();
}

bool FileProgress::Cancelled() const { return dialog_->wasCanceled(); }

QProgressDialog *FileProgress::Dialog() const { return dialog_.get(); }

Failures WithFileProgress(QWidget *parent, const QString &label, int fileCount,
                          const std::function<Failures(const Progress &)> &operation)
{
    BusyCursor busy;
    FileProgress progress(parent, label, fileCount);
    return operation([&progress](int done) { return progress.Continue(done); });
}
