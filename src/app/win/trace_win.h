// Timestamps for measuring the program from outside: with NORVIK_TRACE naming a file, each
// event is appended to it as one line "<microseconds since start> <event> <value>". Without the
// variable nothing is written (the program keeps no log).
#pragma once

#include <cstdint>
#include <string_view>

namespace norvik {

// Reads NORVIK_TRACE once and starts the clock; call first thing at the entry.
void start_trace();

// True when events are written.
bool tracing();

// Any thread may call it: each line is written whole, by one appending WriteFile at a time.
void trace_event(std::string_view event, uint64_t value = 0);

// The same with a text in place of the number ("<microseconds> <event> <text>"), for what tests
// read back that has no pixels to check: the rows a query found, a toast, an opened menu.
void trace_text(std::string_view event, std::string_view text);

}  // namespace norvik
