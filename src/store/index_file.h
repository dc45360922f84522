// The index file: where it lives, saving the whole Index to it, loading it back.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "index/index.h"
#include "index/volume_table.h"
#include "store/index_codec.h"
#include "store/io_status.h"

namespace norvik {

// Set by whoever changes a table (the index service when it publishes, the change watcher after
// a batch); cleared by save_index.
extern std::atomic<bool> index_dirty;

// %LOCALAPPDATA%\Norvik\index.bin, or Norvik\index.bin under application_data_folder() when
// LOCALAPPDATA is not set.
std::string index_path();

// path with its extension replaced by "tmp" (index.bin -> index.tmp): the file a save in the
// program's own index folder writes before renaming it into place.
std::string temporary_path_for(const std::string& path);

// path, a dot, `tag` in hexadecimal and ".tmp" (notes.idx -> notes.idx.1f3a9c.tmp).
std::string unique_temporary_path_for(const std::string& path, uint64_t tag);

// Where a write puts the bytes before they are renamed over the file.
enum class TemporaryName {
    // index.tmp (temporary_path_for), replacing a leftover one: for the program's own index
    // folder, which nothing else writes.
    Beside,
    // A new file beside the output with a name no one uses (unique_temporary_path_for), so that
    // no file of the user's is touched and two writers of one output never collide.
    Unique,
};

// Fine when path does not exist or is a regular file (a file that a write may replace); else
// says what it is ("is a folder", "is not a regular file").
IoStatus check_replaceable(const std::string& path);

// Writes path as one consistent file whose bytes `fill` pours into the sink (false: it failed):
// the temporary file is made (never through a link), written, flushed to the disk and renamed
// over path. Fails, leaving path and every other file as they were, when path is there but is
// not a regular file or any step fails; the status says which step and the system's reason.
IoStatus write_file_replacing(const std::string& path, TemporaryName temporary,
                              const std::function<bool(ByteSink&)>& fill);

// Writes tables to path as one consistent file: the temporary file is made (never through a
// link), written, flushed to the disk and renamed over path, so path always holds either the old
// or the new complete index; a replaced file keeps its permissions. Fails, leaving path and
// every other file as they were (the temporary file is removed), when path is there but is not
// a regular file or any step fails; the status says which step and the system's reason.
IoStatus write_index_file(const std::string& path, const std::vector<VolumeTable>& tables,
                          TemporaryName temporary = TemporaryName::Unique);
// The same for bytes already encoded (encode_index).
IoStatus write_index_bytes(const std::string& path, std::string_view bytes,
                           TemporaryName temporary = TemporaryName::Unique);

enum class LoadStatus { Loaded, Missing, Damaged };

struct LoadResult {
    LoadStatus status = LoadStatus::Missing;
    std::vector<VolumeTable> tables;  // empty unless Loaded
};

// Reads path. Missing when it cannot be opened; Damaged when any read or check fails, and then
// no table at all is returned.
LoadResult load_index_file(const std::string& path);

enum class SaveOutcome { Unchanged, Written, Failed };

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Unchanged;
    std::string error;  // Failed: what failed, with the system's reason

    bool operator==(SaveOutcome other) const { return outcome == other; }
};

// How a save puts its bytes on the disk: write_index_bytes, or a stand-in in tests.
using IndexBytesWriter =
    std::function<IoStatus(const std::string& path, std::string_view bytes, TemporaryName)>;

// Saves index to path if dirty was set: clears dirty first, then encodes the tables holding the
// index lock for reading, and writes, flushes and renames with the lock released, so writers of
// the index wait only for the encoding, never for the disk. Sets dirty again when the write
// fails, so the next call retries. One save runs at a time: a caller that quits waits for a
// save in progress.
SaveResult save_index(Index& index, std::atomic<bool>& dirty, const std::string& path,
                      TemporaryName temporary, const IndexBytesWriter& write = write_index_bytes);
// The same with index.tmp when path is index_path() (the program's own file), else a unique
// temporary file. Another process writing index_path() (norvik-cli) must pass Unique, or the
// two could share index.tmp.
SaveResult save_index(Index& index, std::atomic<bool>& dirty, const std::string& path);
// The program's own save: the process-wide index_dirty, index_path() and index.tmp.
SaveResult save_index(Index& index);

// The saved tables at index_path(), or none when the file is missing or damaged.
std::vector<VolumeTable> load_index();

}  // namespace norvik
