#pragma once

#include "widgets/filelistmodel.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class FolderTree;
class QAbstractItemView;
class QContextMenuEvent;
class QKeyEvent;
class QListView;
class QMenu;
class RowSelection;
class QStackedLayout;
class QTreeView;

enum class ViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The file list of both pages. Shows the folder in Directory (or the mounted volumes while
// Directory is "Drives"): first the parent entry (ParentCaption), then the sub-folders, then
// the files matching Mask, hidden files included. Several entries can be selected.
class FileListView : public QWidget {
    Q_OBJECT
public:
    static inline const QString &ParentCaption = FileEntry::ParentCaption;
    static inline const QString DrivesValue = QStringLiteral("Drives");

    explicit FileListView(QWidget *parent = nullptr);

    // "Drives" (any letter case on assignment) or a folder path ending in "/". Assigning a
    // folder that does not exist, or the folder already shown (letter case ignored), is ignored.
    QString Directory() const;
    void SetDirectory(const QString &directory);
    // The folder shown as the file system names it (ending in "/"); "" while Drives is shown.
    // Setting it follows the same rules as SetDirectory.
    QByteArray NativeDirectory() const;
    void SetNativeDirectory(const QByteArray &directory);

    QString Mask() const;                  // "*.*" by default
    void SetMask(const QString &mask);

    FolderTree *DirTree() const;
    void SetDirTree(FolderTree *tree);

    using EntryKind = FileEntry::Kind;

    using SelectedEntry = ::SelectedEntry;

    // Entries in display order.
    int Count() const;
    QString Caption(int index) const;
    QByteArray NativeName(int index) const;       // the bytes of the entry's name
    // What the entry is; entries are known by this, never by their caption (a file may be
    // named like the parent entry). An index out of range gives Parent.
    EntryKind Kind(int index) const;
    // The selected entries in display order, taken at once so that an operation can ask its
    // questions and rename without walking a list that may be re-read meanwhile.
    std::vector<SelectedEntry> SelectedEntries() const;
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;

    // Full path of the first selected entry, taken on each click and each Up/Down key
    // release while an entry is selected, and before the context menu opens on a right
    // click; "" before the first such moment.
    QString SelectedItem() const;

    ViewStyle GetViewStyle() const;        // vsReport initially
    void SetViewStyle(ViewStyle style);

    // Reads the folder shown from disk again.
    void RereadFolder();

    // The context menu shown on a right click; nullptr (or an empty menu) shows none.
    void SetPopupMenu(QMenu *menu);

    // The view that shows the entries in the current style (for focus and tests).
    QAbstractItemView *View() const;

signals:
    // Each key pressed or released while the list has the focus, in every view style,
    // before the list acts on it; a receiver that accepts the event keeps it from the list.
    void KeyDown(QKeyEvent *event);
    void KeyUp(QKeyEvent *event);

    // Raised after SelectedItem was taken by a left click or an Up/Down release with a
    // selection; never by a right click.
    void Click();

private:
    template <typename> friend class FileItemView;

    void Load();
    void ShowLoaded();                  // Load, then the first row current, scrolled to the top
    void FitColumns();
    void FitNameColumn();
    QString EntryPath(int row) const;
    bool TakeSelectedItem();            // false when nothing is selected
    void TakeClick();                   // a click or an Up/Down release
    void OpenEntry(int row);            // double-click or Enter
    void ShowPopup(QContextMenuEvent *event);

    FileListModel *model_ = nullptr;
    RowSelection *selection_ = nullptr;       // the one place the selection is kept
    QListView *iconsView_ = nullptr;
    QTreeView *detailsView_ = nullptr;
    QStackedLayout *stack_ = nullptr;
    QPointer<FolderTree> tree_;
    QPointer<QMenu> popup_;
    QString directory_;                 // "Drives", or the text shown for directoryNative_
    QByteArray directoryNative_;        // "" for Drives
    QString mask_;
    QString selectedItem_;
    ViewStyle style_ = ViewStyle::vsReport;
};
