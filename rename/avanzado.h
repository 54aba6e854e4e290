#pragma once

#include "widgets/filelistview.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QAction;
class QKeyEvent;
class QLabel;
class QListWidget;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QSplitter;
class QToolButton;

// "Renombrar avanzado": the old names of the selected entries on the left, their new names,
// one per line, in a free editor on the right. Closes with Accepted once the new names were
// checked and match the old ones in number.
class TfAvanzado : public QDialog {
    Q_OBJECT
public:
    explicit TfAvanzado(QWidget *parent = nullptr);
    // Lists the given entries (in their order) with one empty new name each.
    explicit TfAvanzado(const std::vector<FileListView::SelectedEntry> &entries, QWidget *parent = nullptr);

    // The entries as now ordered in lbOriginal.
    std::vector<FileListView::SelectedEntry> Entries() const;
    // The lines of mRenombrados: its text split at line breaks. An empty editor holds one
    // empty line, as it shows.
    QStringList Lines() const;
    void SetLines(const QStringList &lines);

    QLabel *Label1 = nullptr;
    QToolButton *sbTraspasar = nullptr;
    QLabel *lbRenombrados = nullptr;
    QListWidget *lbOriginal = nullptr;
    QSplitter *Splitter1 = nullptr;
    QPlainTextEdit *mRenombrados = nullptr;
    QLabel *lbPosicion = nullptr;
    QToolButton *sbCargarFichero = nullptr;
    QToolButton *sbNumerar = nullptr;
    QToolButton *sbAgregar = nullptr;
    QToolButton *sbEliminar = nullptr;
    QToolButton *sbSustituir = nullptr;
    QToolButton *sbDeshacer = nullptr;
    QToolButton *sbRenombrar = nullptr;
    QToolButton *sbCerrar = nullptr;
    QMenu *pmOriginal = nullptr;
    QAction *Moverarriba1 = nullptr;
    QAction *Moverabajo1 = nullptr;

public slots:
    void Splitter1Moved();
    void Moverarriba1Click();
    void Moverabajo1Click();
    void sbTraspasarClick();
    void sbCargarFicheroClick();
    void sbNumerarClick();
    void sbAgregarClick();
    void sbEliminarClick();
    void sbSustituirClick();
    void sbDeshacerClick();
    void sbRenombrarClick();
    void sbCerrarClick();
    void mRenombradosChange();

public:
    void FormCreate(const std::vector<FileListView::SelectedEntry> &entries);
    void FormClose(QCloseEvent *event);
    void lbOriginalKeyDown(QKeyEvent *event);
    void mRenombradosKeyUp(QKeyEvent *event);
    void mRenombradosMouseUp(QMouseEvent *event);

    // Every way out but a successful "&Renombrar" drops the undo snapshot; after that one the
    // dialog may be shown again with its names, when the preview is left without accepting.
    void done(int result) override;
    // "&Cerrar" and the title bar's close box: with new names written, asks first.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void MoveOriginalUp();
    void MoveOriginalDown();
    void MoveOriginal(int step);
    void SaveUndo();
    QStringList TrimNewNames();
    bool CheckNewNames();
    void UpdatePositionLabel();
    // Replaces every line by what the transformation gives for it and its index.
    template <typename Transformation>
    void TransformLines(Transformation transformation);

    QStringList UndoLines;
};
