// Folders the current user alone may enter: owned by that user, no junction or other link, and a
// protected access list that lets that user in and nobody else (the system account, which enters
// any folder anyway, aside). What is kept in a folder that others may write to can be planted,
// swapped or redirected by them. Windows only; paths in UTF-8, without a trailing separator.
#pragma once

#include <string>

namespace norvik {

// Whether a private folder stands at path now; nothing is made or changed.
bool is_private_folder(const std::string& path);

// Makes sure a private folder stands at path, whose parent exists: one found there already is
// kept with all it holds; anything else gives way (a junction or link is removed as itself, its
// target never entered; a file, or a folder that lets others in or that another account owns, is
// moved aside and removed as far as may be) to a folder made anew. True when the folder at path
// is private afterwards, checked like any found one.
[[nodiscard]] bool make_private_folder(const std::string& path);

}  // namespace norvik
