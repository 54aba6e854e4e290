#pragma once

#include "platform/fileentry.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QString>

#include <vector>

// Reads folders and volumes into the rows the file list shows, in display order.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, TypeColumn, ModifiedColumn, AttributesColumn, ColumnCount };

    explicit FileListModel(QObject *parent = nullptr);

    // Replaces every row with the mounted volumes.
    void LoadDrives();
    // Replaces every row with the parent entry, the sub-folders and the files of the folder
    // (its bytes, ending in "/") whose names match the mask. A folder that cannot be read gives
    // the parent entry alone.
    void LoadFolder(const QByteArray &folder, const QString &mask);

    const FileEntry &Entry(int row) const { return entries_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The text of the "Tipo" column for an entry.
    QString TypeText(const FileEntry &entry) const;

private:
    void Replace(std::vector<FileEntry> entries);
    QIcon IconFor(const FileEntry &entry) const;

    std::vector<FileEntry> entries_;
    mutable QHash<QString, QIcon> iconCache_;
};
