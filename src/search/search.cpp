#include "search/search.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <shared_mutex>

#include "platform/processor_count.h"

namespace norvik {

Elapsed Elapsed::from(std::chrono::nanoseconds duration) {
    int64_t ns = std::max<int64_t>(duration.count(), 0);
    return Elapsed{static_cast<uint64_t>(ns / 1'000'000'000),
                   static_cast<uint32_t>(ns % 1'000'000'000)};
}

std::chrono::nanoseconds Elapsed::duration() const {
    return std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds);
}

std::vector<Chunk> build_chunks(std::span<const VolumeTable> tables) {
    std::vector<Chunk> chunks;
    const size_t searched = std::min(tables.size(), MAX_SEARCH_TABLES);
    for (size_t t = 0; t < searched; ++t) {
        const uint32_t count = tables[t].size();
        for (uint32_t start = 1; start < count;) {
            uint32_t end =
                static_cast<uint32_t>(std::min<uint64_t>(uint64_t{start} + CHUNK_ENTRIES, count));
            chunks.push_back(Chunk{static_cast<uint8_t>(t), start, end});
            start = end;
        }
    }
    return chunks;
}

std::optional<std::vector<Hit>> search_chunks(const Query& query, std::span<const Chunk> chunks,
                                              std::atomic<size_t>& next_chunk,
                                              const Generation& generation,
                                              std::span<const VolumeTable> tables,
                                              const FolderMemo* folders) {
    std::vector<Hit> hits;
    MatchScratch scratch;
    scratch.folders = folders;
    for (;;) {
        size_t k = next_chunk.fetch_add(1, std::memory_order_relaxed);
        if (k >= chunks.size()) return hits;
        if (generation.superseded()) return std::nullopt;
        const Chunk& chunk = chunks[k];
        match_range(query, tables[chunk.table], chunk.table, chunk.begin, chunk.end, scratch, hits);
    }
}

unsigned search_thread_count(unsigned processors) {
    if (processors == 0) return 4;
    return std::min(processors, MAX_SEARCH_THREADS);
}

namespace {

// Matches on up to pool.size() threads (those that ran a share are counted in `started`);
// nothing when superseded. `memo` holds the answers for the query's path words, or is null.
std::optional<std::vector<Hit>> match_all(const Query& query, std::span<const VolumeTable> tables,
                                          SearchPool& pool, const Generation& generation,
                                          const FolderMemo* memo, unsigned& started) {
    const std::vector<Chunk> chunks = build_chunks(tables);
    const size_t n =
        std::min<size_t>(std::max(pool.size(), 1u), std::max<size_t>(chunks.size(), 1));
    std::atomic<size_t> next_chunk{0};
    std::vector<std::optional<std::vector<Hit>>> found(n);
    // An exception leaving a search thread would end the whole process, so each share keeps
    // what it threw (out of memory, with millions of hits) for the caller to rethrow.
    std::vector<std::exception_ptr> thrown(n);
    const size_t ran = pool.run(static_cast<unsigned>(n), [&](unsigned i) {
        try {
            found[i] = search_chunks(query, chunks, next_chunk, generation, tables, memo);
        } catch (...) {
            thrown[i] = std::current_exception();
        }
    });
    for (const std::exception_ptr& exception : thrown)
        if (exception) std::rethrow_exception(exception);
    started = pool.size() == 0 ? 0 : static_cast<unsigned>(ran);
    size_t total = 0;
    for (size_t i = 0; i < ran; ++i) {
        if (!found[i]) return std::nullopt;
        total += found[i]->size();
    }
    std::vector<Hit> hits;
    hits.reserve(total);
    for (size_t i = 0; i < ran; ++i)
        hits.insert(hits.end(), found[i]->begin(), found[i]->end());
    return hits;
}

}  // namespace

std::optional<SearchResult> execute_search(std::span<const VolumeTable> tables,
                                           std::shared_ptr<const Query> query,
                                           const SearchRequest& request, SearchPool& pool,
                                           const Generation& generation) {
    const auto start = std::chrono::steady_clock::now();
    SearchResult result;
    result.generation = request.generation;
    result.descending = request.descending;
    result.sort_column = request.sort_column;
    result.table_ids.reserve(tables.size());
    for (const VolumeTable& table : tables)
        result.table_ids.push_back(table.table_id);

    if (!is_empty(*query)) {
        // Path words ask about the same folders from many entries: the answers are shared by
        // the threads for this search only, as the index may change before the next. The count
        // in All below asks about the same folders again.
        std::optional<FolderMemo> folders;
        if (!query->paths.empty()) folders.emplace(*query, tables);
        const FolderMemo* memo = folders ? &*folders : nullptr;
        std::optional<std::vector<Hit>> hits =
            match_all(*query, tables, pool, generation, memo, result.search_threads);
        if (!hits || generation.superseded()) return std::nullopt;
        const auto column = static_cast<SortColumn>(
            request.sort_column < SORT_COLUMN_COUNT ? request.sort_column : 0);
        if (!sort_hits(
                *hits, column, request.descending, tables,
                [&generation] { return generation.superseded(); }, ORDERED_ROWS))
            return std::nullopt;
        if (generation.superseded()) return std::nullopt;
        result.ordered = std::min(hits->size(), ORDERED_ROWS);
        result.hits = std::move(*hits);
        if (result.hits.empty() && query->filter != 0) {
            const std::shared_ptr<const Query> all = parse(request.text, request.composing, 0);
            if (!is_empty(*all)) {
                unsigned threads = 0;
                std::optional<std::vector<Hit>> everywhere =
                    match_all(*all, tables, pool, generation, memo, threads);
                if (!everywhere || generation.superseded()) return std::nullopt;
                result.unfiltered_count = everywhere->size();
            }
        }
    }
    result.elapsed = Elapsed::from(std::chrono::steady_clock::now() - start);
    result.query = std::move(query);
    return result;
}

std::optional<SearchResult> execute_search(std::span<const VolumeTable> tables,
                                           std::shared_ptr<const Query> query,
                                           const SearchRequest& request, unsigned threads,
                                           const Generation& generation) {
    // Never more threads than chunks; an empty query starts none.
    const size_t chunks = build_chunks(tables).size();
    SearchPool pool(is_empty(*query) ? 0
                                     : static_cast<unsigned>(std::min<size_t>(
                                           std::max(threads, 1u), std::max<size_t>(chunks, 1))));
    return execute_search(tables, std::move(query), request, pool, generation);
}

void order_rest(std::vector<Hit>& hits, size_t& ordered, uint8_t sort_column, bool descending,
                std::span<const VolumeTable> tables) {
    if (ordered >= hits.size()) {
        ordered = hits.size();
        return;
    }
    const auto column = static_cast<SortColumn>(sort_column < SORT_COLUMN_COUNT ? sort_column : 0);
    sort_hits(std::span(hits).subspan(ordered), column, descending, tables);
    ordered = hits.size();
}

SearchResult run_search(Index& index, const SearchRequest& request, unsigned threads) {
    std::shared_ptr<const Query> query = parse(request.text, request.composing, request.filter);
    if (threads == 0) threads = search_thread_count(processor_count());
    std::shared_lock lock(index.lock);
    // Nothing can supersede this search, so a result always comes back.
    SearchResult result = *execute_search(index.tables, std::move(query), request,
                                          std::min(threads, MAX_SEARCH_THREADS), Generation{});
    order_rest(result.hits, result.ordered, result.sort_column, result.descending, index.tables);
    return result;
}

}  // namespace norvik
