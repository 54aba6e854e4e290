#include "widgets/volumes.h"

#include <QStorageInfo>

#include <algorithm>

std::vector<Volume> MountedVolumes()
{
    const QStorageInfo root(QStringLiteral("/"));
    std::vector<Volume> volumes{{QStringLiteral("/"), root.isReadOnly(), root.bytesTotal()}};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString path = volume.rootPath();
        if (std::none_of(volumes.begin(), volumes.end(), [&](const Volume &v) { return v.rootPath == path; }))
            volumes.push_back({path, volume.isReadOnly(), volume.bytesTotal()});
    }
    return volumes;
}
