#pragma once

// Writing the tag editor's records to their files. No window needed.

#include "core/tid3.h"

#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

enum class TagVersion { V1, V2 };

bool WriteRecord(const TID3 &record, TagVersion version);

// Runs `work` (record, position in the list) on each record in turn; before each record asks
// `goOn` (position), and once it says no, that record and the rest are left as they were.
// Returns the names of the files for which `work` failed, in list order.
QStringList WorkOnRecords(std::vector<std::unique_ptr<TID3>> &records, const std::function<bool(TID3 &, int)> &work,
                          const std::function<bool(int)> &goOn);

// Gives each record in turn, through `assign` (record, position in the list), the new value
// of one field of its `version` tag and writes that whole tag to its file. Before each record
// asks `goOn` (position); once it says no, that record and the rest are left as they were.
// Returns the names of the files whose write failed, in list order.
QStringList SaveFieldToAll(std::vector<std::unique_ptr<TID3>> &records, TagVersion version,
                           const std::function<void(TID3 &, int)> &assign, const std::function<bool(int)> &goOn);
