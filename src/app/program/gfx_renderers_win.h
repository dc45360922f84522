// The window's canvas in the program: the Direct2D renderer of src/gfx.
#pragma once

#include "app/win/window_proc_win.h"

namespace norvik {

RendererFactory gfx_renderers();

}  // namespace norvik
