// The invariants of the document state: the layout every complete reflow
// leaves, and the text, caret, selection and scroll position every operation leaves.
#pragma once

#include <string>

// "" when the lines tile the text (terminator included) without gaps or
// overlaps, no CR LF pair is split or stands inside a line, and every line
// ended by a cut fits the text area but for its last unit; else what broke.
std::string LayoutInvariantViolation();

// "" when the text ends in its terminator with only zeros after it, the caret
// and the selection lie inside the text, an active selection is not empty,
// and ScrollLine lies in its range and equals the scroll bar's position.
std::string StateInvariantViolation();
