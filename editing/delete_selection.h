// Edit > Delete: removing the selected units.
#pragma once

// Removes the active selection and leaves the caret where it began; does
// nothing without a selection.
void DeleteSelection();
