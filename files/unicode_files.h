// New, Open and Save of the document as a UTF-16 little-endian text file with
// a byte order mark, the file dialogs' record, and the window title.
#pragma once

#include <windows.h>

// A path of MAX_PATH UTF-16 units in UTF-8, the code page of the ANSI calls:
// up to three bytes a unit.
const int FileNameCapacity = 3 * MAX_PATH;

extern char FilePath[FileNameCapacity];   // full path of the file last chosen in a dialog
extern char FileTitle[FileNameCapacity];  // its name and extension without the folder

// Fills the one record both file dialogs use; at window creation.
void InitFileDialogRecord();
void NewDocument();
void OpenDocument();
// Asks for a name and writes the document; true when it was written.
bool SaveDocument();
// The question New and closing ask about a changed document (Open's lacks the period).
extern const char ChangedDocumentQuestion[];
// The question before a changed document is given up. question is the
// text to ask with; true when the caller may go on (unchanged, or No).
bool ConfirmDiscard(LPCSTR question);
