// The number of processors the scan and the search share out their threads by.
#pragma once

namespace norvik {

// GetSystemInfo on Windows, the standard library elsewhere; 0 when unknown.
unsigned processor_count();

}  // namespace norvik
