// The Folder column's order of the folders that hold a set of hits, worked out on the folder tree
// instead of on built path strings: a search of half a million hits spread over a hundred
// thousand folders would otherwise build, lowercase and compare a whole path for each.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "index/volume_table.h"
#include "query/match.h"
#include "query/order.h"

namespace norvik {

enum class FolderRanking {
    Ranked,      // every hit has its rank
    Superseded,  // the search said to give up
    Unsuitable,  // the tree cannot answer (a chain too deep or looping, a name holding '\')
};

// Ranks the hits' folders as their folder_key strings order them: rank_of_hit[i] is the position
// of hits[i]'s folder key among the distinct keys of all hits (equal keys share a rank; a hit
// with no entry or no valid parent has the key ""). Asks `superseded` once every 4,096 hits.
// The path of a folder is its names joined by '\', lowercased name by name: the same as the
// whole path lowercased, since '\' is neither cased nor case-ignorable. Names equal once
// lowercased make one node, so their folders' contents interleave as their keys do.
FolderRanking rank_folders(std::span<const Hit> hits, std::span<const VolumeTable> tables,
                           const SupersededTest& superseded, std::vector<uint32_t>& rank_of_hit);

}  // namespace norvik
