#pragma once

#include <QString>

#include <vector>

struct Volume {
    QString rootPath;
    bool readOnly = false;
    qint64 bytesTotal = 0;
};

// The mounted volumes that are valid and ready, "/" always first: every folder hangs below
// it, also where the mount table does not show it (a chroot, some containers).
std::vector<Volume> MountedVolumes();
