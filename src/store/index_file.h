// The index file: where it lives, saving the whole Index to it, loading it back.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "index/index.h"
#include "index/volume_table.h"

namespace norvik {

// Set by whoever changes a table (the index service when it publishes, the change watcher after
// a batch); cleared by save_index.
extern std::atomic<bool> index_dirty;

// %LOCALAPPDATA%\Norvik\index.bin, or Norvik\index.bin under the temporary folder when
// LOCALAPPDATA is not set.
std::string index_path();

// path with its extension replaced by "tmp" (index.bin -> index.tmp): the file a save writes
// before renaming it into place.
std::string temporary_path_for(const std::string& path);

// Writes tables to path as one consistent file: index.tmp is written, flushed to the disk and
// then renamed over path, so path always holds either the old or the new complete index.
// A failure leaves path untouched (a partial index.tmp may remain).
[[nodiscard]] bool write_index_file(const std::string& path,
                                    const std::vector<VolumeTable>& tables);

enum class LoadStatus { Loaded, Missing, Damaged };

struct LoadResult {
    LoadStatus status = LoadStatus::Missing;
    std::vector<VolumeTable> tables;  // empty unless Loaded
};

// Reads path. Missing when it cannot be opened; Damaged when any read or check fails, and then
// no table at all is returned.
LoadResult load_index_file(const std::string& path);

enum class SaveOutcome { Unchanged, Written, Failed };

// Saves index to path if dirty was set: clears dirty first, holds the index lock for reading
// during the write, and sets dirty again when the write fails so the next call retries.
SaveOutcome save_index(Index& index, std::atomic<bool>& dirty, const std::string& path);
// The same with the process-wide index_dirty and index_path().
SaveOutcome save_index(Index& index);

// The saved tables at index_path(), or none when the file is missing or damaged.
std::vector<VolumeTable> load_index();

}  // namespace norvik
