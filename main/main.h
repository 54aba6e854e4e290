#pragma once

#include "main/tageditorcore.h"
#include "rename/renamejournal.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class FileListView;
class FolderTree;
class FormStorage;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QMenu;
class QPlainTextEdit;
class RadioGroup;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

// The main window: the renamer page and the tag page, switched from the menu bar.
class TfUtilities : public QMainWindow {
    Q_OBJECT
    // The tag editor's records and the rules that change them; first, since TagList and
    // CurrentIndex refer into it.
    TagEditorCore tagEditor_;

public:
    explicit TfUtilities(QWidget *parent = nullptr);
    ~TfUtilities() override;

    // The running program's version, 0 when it cannot be read.
    std::uint16_t VersionMajor = 0;
    std::uint16_t VersionMinor = 0;
    std::uint16_t VersionRelease = 0;
    std::uint16_t VersionBuild = 0;

    // The tag editor's records of the listed files and the position of the shown one (-1 for
    // none), as its core holds them.
    const TagRecords &TagList = tagEditor_.TagList();
    const int &CurrentIndex = tagEditor_.CurrentIndex();
    TagEditorCore &TagEditor() { return tagEditor_; }

    bool ReadFileVersion();
    void UpdateTitle(const QString &pageName);
    // Opens what the command line named: a folder in the renamer; an MP3 file in the tag page,
    // in its folder, selected and its tags shown as a click would; any other file in the
    // renamer, in its folder, selected. Nothing for an empty or missing path.
    void OpenPath(const QString &path);

    // Panes
    void RefreshRenamerPanes();
    void RefreshTagPanes();
    // Every operation that renames entries of `folder` ends with this: the file lists that
    // show the folder read it again, and both trees show its current sub-folders, keeping
    // what was expanded.
    void RereadRenamedFolder(const QByteArray &folder);
    void SelectByExtension(const QString &extension);

    // Extension operations on the entries selected in Ficheros.
    void ChangeExtension(const QString &newExtension);
    void AddExtension(const QString &extension);
    void RemoveExtension();
    void RebuildExtensionMenus();
    // Adds an extension to cbExtensiones in its sorted place; false when it is refused
    // (already there, or holds a forbidden symbol, which is reported).
    bool AddToExtensionList(const QString &extension);
    // Sorts the restored extension list and drops duplicates a hand-edited file may bring.
    void SortExtensionList();

    // Controls, named as their objectName.
    QMenuBar *MainMenu1 = nullptr;
    QAction *mmRenombrador = nullptr;
    QAction *mmCvTag = nullptr;
    QAction *Configuracin1 = nullptr;
    QAction *Ayuda1 = nullptr;
    QAction *Salir1 = nullptr;
    QTabWidget *pcPrincipal = nullptr;
    QWidget *tsRenombrador = nullptr;
    QWidget *tsTag = nullptr;
    QTimer *RecargaFicheros = nullptr;
    FormStorage *fsMemorizar = nullptr;

    // Renamer page
    QToolButton *sbEscritorio = nullptr;
    FolderTree *Carpetas = nullptr;
    QToolButton *sbIconosGrandes = nullptr;
    QToolButton *sbIconosPequenos = nullptr;
    QToolButton *sbLista = nullptr;
    QToolButton *sbDetalles = nullptr;
    FileListView *Ficheros = nullptr;
    QLabel *Label1 = nullptr;
    QToolButton *sbAnhadirExtension = nullptr;
    QToolButton *sbBorrarExtension = nullptr;
    QComboBox *cbExtensiones = nullptr;
    QLabel *Label2 = nullptr;
    QToolButton *sbCambiarExtension = nullptr;
    QToolButton *sbAnhadirExtensionAFicheros = nullptr;
    QToolButton *sbEliminaExtension = nullptr;
    QToolButton *sbAvanzadas = nullptr;

    QMenu *pmCarpetas = nullptr;
    QAction *Refrescar1 = nullptr;
    QMenu *pmFicheros = nullptr;
    QMenu *Marcartodoslosficherosconestaextensin1 = nullptr;
    QAction *Todoslosficheros1 = nullptr;
    QAction *pmExtension = nullptr;
    QMenu *pmCambiarExtension = nullptr;
    QMenu *pmAnhadirExtension = nullptr;
    QAction *Eliminaextensin1 = nullptr;
    QAction *pmAnadir = nullptr;
    // "Deshacer el último renombrado" in the context menus of both file lists.
    QAction *pmDeshacerRenombrado = nullptr;
    QAction *pmDeshacerRenombradoTag = nullptr;

    // Tag page
    QToolButton *SpeedButton1 = nullptr;
    FolderTree *CarpetasTag = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    FileListView *FicherosTag = nullptr;
    QMenu *pmFicherosTag = nullptr;
    QTabWidget *pcID3 = nullptr;
    QWidget *tsID3v1 = nullptr;
    QWidget *tsID3v2 = nullptr;
    QWidget *tsMasivo = nullptr;
    QWidget *tsRenombrar = nullptr;
    QLineEdit *edTituloV1 = nullptr;
    QLineEdit *edArtistaV1 = nullptr;
    QLineEdit *edAlbumV1 = nullptr;
    QSpinBox *sePistaV1 = nullptr;
    QSpinBox *seAnoV1 = nullptr;
    QComboBox *cbGeneroV1 = nullptr;
    QLineEdit *edComentarioV1 = nullptr;
    QLineEdit *edTituloV2 = nullptr;
    QLineEdit *edArtistaV2 = nullptr;
    QLineEdit *edAlbumV2 = nullptr;
    QSpinBox *sePistaV2 = nullptr;
    QSpinBox *seAnoV2 = nullptr;
    QComboBox *cbGeneroV2 = nullptr;
    QPlainTextEdit *mComentarioV2 = nullptr;
    QListWidget *clbCampos = nullptr;
    QLineEdit *edCadenaSeparacion = nullptr;

    // Tag editor: field buttons of both edit sheets and the bottom panel.
    QToolButton *SpeedButton6 = nullptr;
    QToolButton *SpeedButton7 = nullptr;
    QToolButton *SpeedButton8 = nullptr;
    QToolButton *SpeedButton9 = nullptr;
    QToolButton *SpeedButton10 = nullptr;
    QToolButton *SpeedButton11 = nullptr;
    QToolButton *SpeedButton12 = nullptr;
    QToolButton *SpeedButton18 = nullptr;
    QToolButton *SpeedButton19 = nullptr;
    QToolButton *SpeedButton20 = nullptr;
    QToolButton *SpeedButton21 = nullptr;
    QToolButton *SpeedButton22 = nullptr;
    QToolButton *SpeedButton23 = nullptr;
    QToolButton *SpeedButton24 = nullptr;
    QWidget *pAbajoTag = nullptr;
    QToolButton *SpeedButton13 = nullptr;
    QToolButton *SpeedButton14 = nullptr;
    QToolButton *SpeedButton16 = nullptr;
    QToolButton *SpeedButton15 = nullptr;
    QToolButton *sbActual = nullptr;
    QToolButton *sbV1aV2 = nullptr;
    QToolButton *sbV2aV1 = nullptr;
    QToolButton *SpeedButton17 = nullptr;
    QLabel *lbTantoDeTanto = nullptr;
    QLineEdit *lbFichero = nullptr;
    // The comment as the memo showed it, to tell an edited comment from one shown as stored.
    QString shownCommentV2;

public slots:
    void FormCreate();
    void mmRenombradorClick();
    void mmCvTagClick();
    void Configuracin1Click();
    void Ayuda1Click();
    void Salir1Click();
    void RecargaFicherosTimer();

    void sbEscritorioClick();
    void SpeedButton1Click();
    void sbIconosGrandesClick();
    void sbIconosPequenosClick();
    void sbListaClick();
    void sbDetallesClick();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void Refrescar1Click();
    void Todoslosficheros1Click();
    void pmExtensionClick();
    void Marcartodoslosficherosconestaextensin1Click();
    void pmFicherosPopup();

    void sbAnhadirExtensionClick();
    void sbBorrarExtensionClick();
    void sbCambiarExtensionClick();
    void sbAnhadirExtensionAFicherosClick();
    void sbEliminaExtensionClick();
    void Eliminaextensin1Click();
    void pmAnadirClick();
    // Undo of each page's last rename operation: asks, then gives its entries their old names.
    void pmDeshacerRenombradoClick();
    void pmDeshacerRenombradoTagClick();
    void sbAvanzadasClick();

public slots:
    // Tag editor: the list of records of the selected files and its display.
    void FicherosTagClick();
    void ClearTagList();
    void AddTagFile(const QString &path);
    void ShowRecord(int position);
    void SpeedButton13Click();
    void SpeedButton14Click();
    void SpeedButton16Click();
    void SpeedButton15Click();
    void pcID3Change();
    void sePistaV1Change();
    // Saving, copying between the versions and removing tags.
    void sbActualClick();
    bool SaveV1(int position);
    bool SaveV2(int position);
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void SpeedButton11Click();
    void SpeedButton12Click();
    void SpeedButton9Click();
    void SpeedButton10Click();
    void SpeedButton18Click();
    void SpeedButton19Click();
    void SpeedButton20Click();
    void SpeedButton23Click();
    void SpeedButton24Click();
    void SpeedButton21Click();
    void SpeedButton22Click();
    void sbV1aV2Click();
    void sbV2aV1Click();
    void SpeedButton17Click();
    // Filled by mass assignment and by renaming from tags.
    void RefillValueChoices();
    void UpdateRenamePreview();

public:
    void FormShow(QShowEvent *event);
    void FormResize(QResizeEvent *event);
    void FormClose(QCloseEvent *event);
    void CarpetasKeyDown(QKeyEvent *event);
    void FicherosKeyDown(QKeyEvent *event);
    void CarpetasTagKeyDown(QKeyEvent *event);

    // Mass assignment ("Masivo") and renaming from tags ("Renombrar ficheros").
public:
    RadioGroup *rgID3 = nullptr;
    QLabel *Label10 = nullptr;
    QComboBox *cbValores = nullptr;
    QLabel *Label12 = nullptr;
    QComboBox *cbCampo = nullptr;
    QToolButton *SpeedButton29 = nullptr;
    QLabel *Label11 = nullptr;
    QToolButton *SpeedButton25 = nullptr;
    QToolButton *SpeedButton26 = nullptr;
    QLabel *Label13 = nullptr;
    QToolButton *SpeedButton27 = nullptr;
    QToolButton *SpeedButton28 = nullptr;

    QLabel *Label15 = nullptr;
    RadioGroup *rgID3Renombrar = nullptr;
    QLabel *Label14 = nullptr;
    QToolButton *SpeedButton30 = nullptr;
    QToolButton *SpeedButton31 = nullptr;
    QLabel *Label17 = nullptr;
    QPlainTextEdit *mPrevioRenombre = nullptr;
    QLabel *Label18 = nullptr;
    QToolButton *SpeedButton32 = nullptr;

public slots:
    void SpeedButton29Click();
    void SpeedButton25Click();
    void SpeedButton26Click();
    void SpeedButton27Click();
    void SpeedButton28Click();
    void clbCamposClickCheck();
    void edCadenaSeparacionChange();
    void rgID3RenombrarClick();
    void SpeedButton30Click();
    void SpeedButton31Click();
    void SpeedButton32Click();

private:
    // The tag editor's "ID3v1" and "ID3v2" sheets with their field buttons, and the bottom
    // panel pAbajoTag (returned, to be placed under pcID3), all connected.
    QWidget *BuildTagEditor();
    void BuildV1Sheet();
    void BuildV2Sheet();
    QWidget *BuildBottomPanel(QWidget *parent);
    void BuildMassSheet();
    void BuildRenameSheet();
    void MoveRenameField(int step);
    // The tag editor's operations on every listed file: with the busy pointer and the progress
    // window; then the first record shown and the files that could not be saved listed.
    void ForEveryRecord(const QString &label, const std::function<Failures(const Progress &)> &operation);
    void CopyToAll(TagVersion from, const QString &label);
    // What the edit sheets hold now.
    TagSheets EnteredSheets() const;
    TagVersion ShownVersion() const;
    // One field into every record from the sheet the button stands on; then `box`, the field's
    // control, shows what the shown record now holds (a version 1 text as the trailer keeps it).
    void SaveToAll(QWidget *sheet, QWidget *box, const QString &label,
                   const std::function<Failures(const Progress &)> &operation);
    void ShowSavedValue(QWidget *box);
    // The values of `sheets` into the boxes, or into the box `only` alone.
    void ShowSheets(const TagSheets &sheets, QWidget *only);
    // The new names of the last preview, one per record: the rename uses these, never the
    // preview's text, which shows control characters as symbols.
    QStringList renameNames_;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildMenu();
    void BuildRenamerPage();
    void BuildTagPage();
    void BuildRenamerMenus();
    void BuildUndoMenus();
    void UndoRename(RenamePage page);
    void FillGenreLists();
    void RestoreFolder(const QString &stored, FolderTree *tree, FileListView *list);
    void ShowPanePopup(QMenu *menu, QWidget *pane, const QPoint &pos);
    QString SelectedFileExtension() const;

    bool resizeConnected_ = false;
    bool storageSaveFailed_ = false;
};

// Tells what the start-up recovery of interrupted renames did, when it did anything.
void ReportRenameRecovery(QWidget *parent, const RenameRecovery &recovery);
