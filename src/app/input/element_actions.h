// What a screen reader (or any UI Automation client) may do to the window's elements: the same
// things a click or a key does, reached through the element instead of a point. The shell's
// provider calls these; they change App as the mouse and keyboard handlers would.
#pragma once

#include <string_view>

#include "app/core/app.h"
#include "app/core/shell.h"
#include "app/view/accessibility_tree.h"

namespace norvik {

// Acts on the element; false when it has no such action (or no longer exists).
bool act_on_element(App& app, Shell& shell, ElementId id, ElementAction action);

// Replaces the search box's text (UTF-8) and searches for it, as typing it would.
void set_search_text(App& app, Shell& shell, std::string_view text);

}  // namespace norvik
