// Cut, Copy and Paste: text exchanged with the system clipboard as Unicode
// text, unit for unit, line ends and all.
#pragma once

// Each does nothing without a non-empty selection (Cut, Copy) or without
// Unicode text on the clipboard (Paste), and reports every failure.
void CopySelection();
void CutSelection();
void PasteClipboard();
