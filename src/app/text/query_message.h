// What the window's status line and norvik-cli say about a query word they cannot read.
#pragma once

#include <string>

#include "query/query.h"

namespace norvik {

// The message for error in the current language: what the word should have been, with the
// filter's name as it was typed ("size: needs a size such as size:>10mb").
std::string query_error_text(const QueryError& error);

}  // namespace norvik
