// One search over the whole index: the tables split into chunks of CHUNK_ENTRIES entries, matched
// on up to MAX_SEARCH_THREADS threads (kept in a SearchPool) that claim chunks from one atomic
// counter, then ordered. The search worker (search/worker.h) runs it for the window; run_search
// runs it to completion for the command-line tool.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "index/index.h"
#include "index/volume_table.h"
#include "query/match.h"
#include "query/order.h"
#include "query/query.h"
#include "search/search_pool.h"

namespace norvik {

inline constexpr uint32_t CHUNK_ENTRIES = 32768;
inline constexpr unsigned MAX_SEARCH_THREADS = 16;
// Hits carry their table's position in one byte; tables past this many are not searched.
inline constexpr size_t MAX_SEARCH_TABLES = 256;
// Rows a search puts in order before delivering: a few screens. Past them, the hits follow in no
// particular order until the window asks the worker for the rest in order (a search of a few
// letters finds hundreds of thousands of names, and ordering them all costs more than the match).
inline constexpr size_t ORDERED_ROWS = 1024;

struct SearchRequest {
    std::string text;         // search box text with any IME composition inserted at the caret
    uint64_t generation = 0;  // the query_generation value this request was made with
    bool descending = false;
    uint8_t sort_column = 0;  // SortColumn
    bool composing = false;   // an IME composition is in progress
    uint8_t filter = 0;       // filter tab 0-6
};

struct Elapsed {
    uint64_t seconds = 0;
    uint32_t nanoseconds = 0;

    static Elapsed from(std::chrono::nanoseconds duration);
    std::chrono::nanoseconds duration() const;
};

struct SearchResult {
    std::vector<Hit> hits;  // every match; the first `ordered` in final order
    // hits[0, ordered) are in final order, and before all the rest (which order_rest orders);
    // every hit when ordered is at least hits.size().
    size_t ordered = SIZE_MAX;
    // 0 for a search's answer. A later delivery of the same search (SearchWorker::order_rest)
    // carries only the rows it left unordered, now in order: they are rows first_row onwards.
    size_t first_row = 0;
    std::vector<uint32_t>
        table_ids;    // table_id of each table at search time; Hit::table indexes it
    Elapsed elapsed;  // from the start of the match to the end of the ordering
    std::shared_ptr<const Query> query;
    uint64_t generation = 0;
    bool descending = false;
    uint8_t sort_column = 0;
    unsigned search_threads = 0;  // search threads that ran the match: 0 for an empty query
    // The search could not finish (it ran out of memory, as millions of hits can make it): no
    // hits, and the window says so instead of showing them.
    bool failed = false;
    // When a filter tab's search found nothing: what the same words find in All, so the window
    // can say where the results are. Counted only then.
    std::optional<size_t> unfiltered_count;
};

// At most CHUNK_ENTRIES entries [begin, end) of the table at position `table`.
struct Chunk {
    uint8_t table = 0;
    uint32_t begin = 0;
    uint32_t end = 0;

    bool operator==(const Chunk&) const = default;
};

// Tells a search whether it has been superseded: query_generation no longer equals its own. A
// default-made one (no counter) never says so.
struct Generation {
    const std::atomic<uint64_t>* counter = nullptr;
    uint64_t value = 0;

    bool superseded() const {
        return counter != nullptr && counter->load(std::memory_order_acquire) != value;
    }
};

// Chunks of every table in order, each table from entry 1 (entry 0, the root, is never a hit);
// a table of at most one entry adds none.
std::vector<Chunk> build_chunks(std::span<const VolumeTable> tables);

// The body of one search thread: claims chunks with one fetch-and-add on next_chunk until the list
// runs out, and matches their entries in order. Returns its hits, or nothing when the search was
// superseded at a chunk boundary. `folders`, when given, holds the search's answers for the
// query's path words, shared with the other threads of the search.
std::optional<std::vector<Hit>> search_chunks(const Query& query, std::span<const Chunk> chunks,
                                              std::atomic<size_t>& next_chunk,
                                              const Generation& generation,
                                              std::span<const VolumeTable> tables,
                                              const FolderMemo* folders = nullptr);

// Search threads for a processor count: 16 from 16 processors up, the count itself from 1 to 15,
// and 4 when the count reads 0.
unsigned search_thread_count(unsigned processors);

// Matches and orders one parsed query over tables (index lock held for reading by the caller) on
// the pool's threads, none for an empty query. Returns nothing when `generation`
// reports the search superseded (checked at chunk boundaries, after the join, while computing
// folder keys and after sorting). A pool without threads leaves the match to the calling thread.
// Running out of memory on a search thread throws std::bad_alloc here, on the calling thread, as
// it would have there.
std::optional<SearchResult> execute_search(std::span<const VolumeTable> tables,
                                           std::shared_ptr<const Query> query,
                                           const SearchRequest& request, SearchPool& pool,
                                           const Generation& generation);
// The same on up to `threads` threads started for this search alone (a search thread that
// cannot be started leaves its share to those that did start, or to the calling thread).
std::optional<SearchResult> execute_search(std::span<const VolumeTable> tables,
                                           std::shared_ptr<const Query> query,
                                           const SearchRequest& request, unsigned threads,
                                           const Generation& generation);

// Puts hits[ordered, end) in final order after the ordered front (the rows a search left for
// later) and sets ordered to the number of hits. `tables` are those the hits were found in (index
// lock held for reading); a hit that no longer names an entry sorts as an empty one.
void order_rest(std::vector<Hit>& hits, size_t& ordered, uint8_t sort_column, bool descending,
                std::span<const VolumeTable> tables);

// Puts `rest`, the rows a search left unordered, in its final order on the pool's threads: the
// worker's second delivery. False, with rest in no particular order, when `generation` says the
// search was superseded first (asked between pieces of the work). The caller holds the index lock
// for reading; tables are the index's (a hit that no longer names an entry sorts as an empty
// one). Running out of memory throws std::bad_alloc here, on the calling thread.
[[nodiscard]] bool order_rest_on(std::span<Hit> rest, uint8_t sort_column, bool descending,
                                 std::span<const VolumeTable> tables, SearchPool& pool,
                                 const Generation& generation);

// Runs one search to completion and returns its result, for callers without a window such as
// norvik-cli: parses request.text (with request.composing and request.filter), takes
// index.lock for reading for the match and the sort, and orders by request.sort_column and
// request.descending, every hit in order. Never superseded; the result carries request.generation.
// `threads` 0 picks the count from the processors.
SearchResult run_search(Index& index, const SearchRequest& request, unsigned threads = 0);

}  // namespace norvik
