// What a screen reader is told about the window: its controls as a tree of elements, each with a
// role, a name in a given language, a value, its bounds in client pixels and its states. The
// window is drawn by Direct2D, so Windows sees none of this by itself; the shell's UI Automation
// provider (app/win/uia_provider_win.h) answers every question from these functions and keeps
// nothing of its own. The result rows are elements only when asked for: the list says it has as
// many children as there are results, and any row is described on demand from its index.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/core/app.h"
#include "app/text/text.h"
#include "gfx/canvas.h"

namespace norvik {

// Which element: the kind and, for tabs, column headers and rows, its index among its siblings
// (a tab's filter value, a header's column 0-3, a row's number).
enum class UiPart : uint8_t {
    Window,
    SearchBox,
    MenuButton,
    Tabs,
    Tab,
    Header,
    HeaderItem,
    Results,
    Row,
    Status,
};

struct ElementId {
    UiPart kind = UiPart::Window;
    uint32_t index = 0;

    bool operator==(const ElementId&) const = default;
};

// The control type a screen reader announces.
enum class ElementRole : uint8_t {
    Window,
    Edit,
    Button,
    TabList,
    TabItem,
    Header,
    HeaderItem,
    List,
    ListItem,
    Text,
};

// Bits of ElementNode::states.
enum ElementState : uint32_t {
    STATE_FOCUSABLE = 1,
    STATE_FOCUSED = 2,
    STATE_SELECTED = 4,
    STATE_OFFSCREEN = 8,   // a row scrolled out of the list's view
    STATE_LIVE = 16,       // its changes are announced without focus (the status line)
    STATE_SELECTABLE = 32  // a tab or a row: choosing it is a selection
};

struct ElementNode {
    ElementId id;
    ElementRole role = ElementRole::Window;
    std::string automation_id;  // stable across languages, for test tools
    std::string name;
    std::string value;  // the search box's text (with any composition at the caret)
    RectF bounds;       // client pixels
    uint32_t states = 0;

    bool has(ElementState state) const { return (states & state) != 0; }
};

// The element id's parent; the window is its own.
ElementId parent_element(ElementId id);

// How many children the element has: the window six (box, menu button, tabs, header, results,
// status line), the tabs seven, the header four, the results one per result, the rest none.
size_t child_count(const App& app, ElementId id);

// Child i of parent (i below child_count).
ElementId child_element(ElementId parent, size_t i);

// The element's position among its parent's children.
size_t index_in_parent(ElementId id);

// The element described in language; nothing for a row past the results, a tab past the seventh
// or a header past the fourth. A row's name reads its cells as the columns show them, joined
// by ", " (empty cells left out), read under the index's read lock; a row whose table was rebuilt
// since the search has an empty name.
std::optional<ElementNode> describe_element(const App& app, ElementId id, Language language);

// Where the element lies in the client area (pixels); reads nothing but the layout.
RectF element_bounds(const App& app, ElementId id);

// The element the keyboard is on: the search box, the current filter tab, the selected row (the
// list itself without one) or the menu button, as App's focus ring says.
ElementId focused_element(const App& app);

// The deepest element at client point (x, y); the window where no control lies.
ElementId element_at(const App& app, float x, float y);

// What a client may ask an element to do (app/input/element_actions.h does it).
enum class ElementAction : uint8_t {
    Invoke,          // the menu button opens its menu; a column header sorts by its column
    Select,          // a tab becomes the filter; a row becomes the selected row
    ScrollIntoView,  // a row is scrolled into the list's view, the selection left as it is
    Focus,           // the keyboard moves to the element's stop of the focus ring
};

// What the shell compares between two moments to know which events to raise.
struct AccessibleSnapshot {
    ElementId focus;
    std::optional<uint32_t> selected;
    uint8_t filter = 0;
    std::string value;
    uint64_t result_generation = 0;
    size_t result_count = 0;
    std::string status;
};

AccessibleSnapshot accessible_snapshot(const App& app);

// The events that follow from a change between two snapshots. A count of results is announced
// (a notification a screen reader speaks without moving focus) when the answer to the latest
// query arrived, at most once per ANNOUNCE_INTERVAL: an answer that comes sooner is held in
// `pending` and said when the interval is over (the shell looks again at least every tick).
struct AccessibleEvents {
    bool focus_changed = false;
    bool selection_changed = false;
    bool structure_changed = false;  // another result list arrived
    bool value_changed = false;      // the search box's text
    bool status_changed = false;     // the live region's text
    std::optional<std::string> announcement;
};

inline constexpr std::chrono::milliseconds ANNOUNCE_INTERVAL{1000};

struct Announcer {
    std::optional<std::string> pending;
    std::optional<Clock::time_point> last;
};

AccessibleEvents accessible_events(const App& app, const AccessibleSnapshot& before,
                                   const AccessibleSnapshot& after, Announcer& announcer,
                                   Clock::time_point now, Language language);

}  // namespace norvik
