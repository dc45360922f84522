// The Search syntax card: every form a query word can take, each with an example, drawn over the
// window when the settings menu's "Search syntax" is chosen (App::syntax_card).
#pragma once

#include <string>
#include <vector>

#include "app/core/app.h"
#include "gfx/canvas.h"

namespace norvik {

struct Palette;

// One line of the card: an example as typed and what it finds, in the current language. The
// examples are syntax, not prose: in Korean they use the Korean filter names (크기:, 날짜:),
// in every other language the English ones.
struct SyntaxLine {
    std::string example;
    std::string meaning;
};

std::vector<SyntaxLine> syntax_lines();

// Draws the card centred in the window over a veil of the background colour, its lines shrunk
// to fit a short window.
void paint_syntax_card(Canvas& canvas, const Palette& palette, const Metrics& metrics);

}  // namespace norvik
