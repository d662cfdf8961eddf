// New, Open and Save of the document as a UTF-16 little-endian text file with
// a byte order mark, the file dialogs' record, and the window title.
#include "files/unicode_files.h"

#include <commdlg.h>
#include <string.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "input/caret_placement.h"

const char ChangedDocumentQuestion[] =
    "The current file has changed since the last save.\nDo you wish to save the current file?";
char FilePath[FileNameCapacity];
char FileTitle[FileNameCapacity];

static const int FileBufferUnits = DocumentCapacity + 1;   // the mark and the largest document
static WCHAR FileBuffer[FileBufferUnits];                  // every file passes through here
static OPENFILENAMEA FileDialogRecord;                     // shared by Open and Save
static const char FileFilter[] = "Unicode Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
static const WCHAR ByteOrderMark = 0xFEFF;

void InitFileDialogRecord() {
  memset(&FileDialogRecord, 0, sizeof FileDialogRecord);
  // sizeof, not the 32-bit size: a 64-bit dialog refuses any other.
  FileDialogRecord.lStructSize = sizeof FileDialogRecord;
  FileDialogRecord.hwndOwner = MainWindow;
  FileDialogRecord.lpstrFilter = FileFilter;
  FileDialogRecord.nFilterIndex = 1;
  FileDialogRecord.nMaxFile = FileNameCapacity;
  FileDialogRecord.nMaxFileTitle = FileNameCapacity;
  FileDialogRecord.lpstrDefExt = "txt";
}

static void PrepareFileDialog(DWORD flags) {
  FileDialogRecord.lpstrFile = FilePath;
  FileDialogRecord.lpstrFileTitle = FileTitle;
  FileDialogRecord.Flags = flags;
}

bool ConfirmDiscard(LPCSTR question) {
  if (!DocumentChangedSinceSave()) return true;
  int answer = MessageBoxA(MainWindow, question, "Save Current File?", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) SaveDocument();
  return answer == IDNO;
}

static void CopyIntoSavedText() {
  memset(SavedText, 0, sizeof SavedText);
  memcpy(SavedText, DocumentText, sizeof(WCHAR) * (size_t)DocumentLength);
  SavedLength = DocumentLength;
}

// A new text is in place: no selection, the caret and the view at the top.
static void ShowNewText() {
  CaretIndex = SelectionStart = SelectionEnd = SelectionActive = 0;
  ScrollLine = 0;
  ReflowDocument();
  RepaintRect({0, TextTop, ClientWidth, ClientHeight});
}

void NewDocument() {
  if (!ConfirmDiscard(ChangedDocumentQuestion)) return;
  memset(DocumentText, 0, sizeof DocumentText);
  memset(SavedText, 0, sizeof SavedText);
  DocumentLength = SavedLength = 1;
  SetWindowTextA(MainWindow, "Scrivlet");
  ShowNewText();
}

// Reads the file at FilePath into FileBuffer; the number of units read, the
// mark included, or 0 after telling the user why not.
static int ReadUnicodeFile() {
  LPCSTR failure = NULL;
  DWORD size = 0;
  HANDLE file = CreateFileA(FilePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    ReportFailure("Can not obtain a file handle to the selected file", "Can Not Open File");
    return 0;
  }
  DWORD high = 0;
  size = GetFileSize(file, &high);
  DWORD read = 0;
  if (size == INVALID_FILE_SIZE) {
    failure = "Can not obtain the size of the selected file";
  } else if (high != 0) {
    failure = "The selected file is too large to open";
  } else if (size < 2) {
    failure = "The selected file is not a Unicode text file";
  } else if (!ReadFile(file, FileBuffer, 2, &read, NULL) || read != 2) {
    failure = "Can not read the selected file";
  } else if (FileBuffer[0] != ByteOrderMark || size % 2 != 0) {
    failure = "The selected file is not a Unicode text file";
  } else if (size > sizeof FileBuffer) {
    failure = "The selected file is too large to open";
  } else {
    memset(FileBuffer, 0, sizeof FileBuffer);
    FileBuffer[0] = ByteOrderMark;
    if (!ReadFile(file, FileBuffer + 1, size - 2, &read, NULL) || read != size - 2) {
      failure = "Can not read the selected file";
    }
  }
  CloseHandle(file);
  if (failure != NULL) {
    ReportFailure(failure, "Can Not Open File");
    return 0;
  }
  int units = (int)(size / 2);
  if (FileBuffer[units - 1] != 0) {
    if (units >= FileBufferUnits) {
      ReportFailure("The selected file is large to open", "Can Not Open File");
      return 0;
    }
    units++;  // the zero after the last unit read becomes the terminator
  }
  return units;
}

void OpenDocument() {
  if (!ConfirmDiscard("The current file has changed since the last save\nDo you wish to save the current file?")) {
    return;
  }
  // The dialog writes the chosen name over the document's own; a later Save
  // must not propose the file that failed to open.
  char ownPath[FileNameCapacity], ownTitle[FileNameCapacity];
  memcpy(ownPath, FilePath, sizeof ownPath);
  memcpy(ownTitle, FileTitle, sizeof ownTitle);
  PrepareFileDialog(OFN_FILEMUSTEXIST);
  int units = GetOpenFileNameA(&FileDialogRecord) ? ReadUnicodeFile() : 0;
  if (units == 0) {
    memcpy(FilePath, ownPath, sizeof ownPath);
    memcpy(FileTitle, ownTitle, sizeof ownTitle);
    return;
  }
  DocumentLength = units - 1;
  memset(DocumentText, 0, sizeof DocumentText);
  memcpy(DocumentText, FileBuffer + 1, sizeof(WCHAR) * (size_t)DocumentLength);
  CopyIntoSavedText();
  SetWindowTextA(MainWindow, FileTitle);
  ShowNewText();
}

// Writes the document into a new file beside path and puts it in path's
// place only once it is whole on disk, so that a failed write (a full disk,
// a lost share) never costs the file already there. True when it was written.
static bool WriteUnicodeFile(LPCSTR path) {
  char folder[FileNameCapacity];
  strcpy(folder, path);
  char *lastSlash = strrchr(folder, '\\');
  if (lastSlash != NULL) {
    *lastSlash = 0;
  } else {
    strcpy(folder, ".");
  }
  char temporary[FileNameCapacity];
  if (GetTempFileNameA(folder, "scr", 0, temporary) == 0) return false;
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  bool written = file != INVALID_HANDLE_VALUE;
  if (written) {
    memset(FileBuffer, 0, sizeof FileBuffer);
    FileBuffer[0] = ByteOrderMark;
    memcpy(FileBuffer + 1, DocumentText, sizeof(WCHAR) * (size_t)DocumentLength);
    DWORD bytes = (DWORD)(2 * DocumentLength + 2);
    DWORD count = 0;
    written = WriteFile(file, FileBuffer, bytes, &count, NULL) && count == bytes && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
  }
  written = written && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!written) DeleteFileA(temporary);
  return written;
}

bool SaveDocument() {
  PrepareFileDialog(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
  FileDialogRecord.lpstrFilter = FileFilter;
  if (!GetSaveFileNameA(&FileDialogRecord)) return false;
  if (!WriteUnicodeFile(FilePath)) {
    ReportFailure("Can not write to the selected file", "Can Not Save File");
    return false;
  }
  CopyIntoSavedText();
  SetWindowTextA(MainWindow, FileTitle);
  return true;
}
