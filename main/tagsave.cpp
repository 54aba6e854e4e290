#include "main/tagsave.h"

#include "main/extensionrules.h"
#include "tags/SaveGroup.h"

#include <QElapsedTimer>
#include <QFile>

std::filesystem::path TagFilePath(const QString &filePath)
{
    return std::filesystem::path(QFile::encodeName(filePath).toStdString());
}

bool WriteRecord(const TID3 &record, TagVersion version)
{
    const std::filesystem::path path = TagFilePath(record.FilePath);
    return version == TagVersion::V1 ? record.V1.WriteTag(path) : record.V2.WriteTag(path);
}

QStringList WorkOnRecords(std::vector<std::unique_ptr<TID3>> &records, const std::function<bool(TID3 &, int)> &work,
                          const std::function<bool(int)> &goOn)
{
    // The writes of each step of the progress (about a tenth of a second) reach the disk as
    // one group commit; a file whose write is not on disk at the commit counts as failed.
    constexpr qint64 kStepMs = 100;
    std::vector<bool> failed(records.size(), false);
    cvtags::SaveGroup group;
    std::size_t batchStart = 0, failuresSeen = 0;
    const auto commit = [&](std::size_t end) {
        group.Commit();
        const auto &failures = group.Failures();
        for (; failuresSeen < failures.size(); ++failuresSeen)
            for (std::size_t j = batchStart; j < end; ++j)
                if (TagFilePath(records[j]->FilePath) == failures[failuresSeen].first)
                    failed[j] = true;
        batchStart = end;
    };
    QElapsedTimer step;
    step.start();
    std::size_t i = 0;
    for (; i < records.size(); ++i) {
        if (step.elapsed() >= kStepMs) {
            commit(i);
            step.restart();
        }
        if (!goOn(int(i)))
            break;
        if (!work(*records[i], int(i)))
            failed[i] = true;
    }
    commit(i);
    QStringList names;
    for (std::size_t j = 0; j < records.size(); ++j)
        if (failed[j])
            names.append(FileNamePart(records[j]->FilePath));
    return names;
}

QStringList SaveFieldToAll(std::vector<std::unique_ptr<TID3>> &records, TagVersion version,
                           const std::function<void(TID3 &, int)> &assign, const std::function<bool(int)> &goOn)
{
    return WorkOnRecords(
        records,
        [&](TID3 &record, int position) {
            assign(record, position);
            return WriteRecord(record, version);
        },
        goOn);
}
