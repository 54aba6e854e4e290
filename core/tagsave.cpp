#include "core/tagsave.h"

#include "core/paths.h"


bool WriteRecord(const TID3 &record, TagVersion version)
{
    const std::filesystem::path path = TagFilePath(record.FilePath);
    return version == TagVersion::V1 ? record.V1.WriteTag(path) : record.V2.WriteTag(path);
}

QStringList WorkOnRecords(std::vector<std::unique_ptr<TID3>> &records, const std::function<bool(TID3 &, int)> &work,
                          const std::function<bool(int)> &goOn)
{
    QStringList failed;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int position = int(i);
        if (!goOn(position))
            break;
        TID3 &record = *records[i];
        if (!work(record, position))
            failed.append(FileNamePart(record.FilePath));
    }
    return failed;
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
