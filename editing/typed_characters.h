// Typed characters: one unit inserted at the caret or in place of the selection.
#pragma once

// Inserts code (32 .. 65535; anything else is ignored) as one unit.
void TypeCharacter(int code);
