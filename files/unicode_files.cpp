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

// A save writes into the chosen file itself, so that the file stays what it
// was: every hard link and the target of a symbolic link get the new text,
// and its permissions, attributes and creation time are kept. Its old bytes
// are first copied to the user's temporary folder, which is private, and are
// put back if the new text cannot be written whole.
static char BackupPath[FileNameCapacity];  // the copy of the old bytes while a save is under way

static bool MoveTo(HANDLE file, DWORD offset) {
  LONG high = 0;  // given, it keeps offsets past 2 GB from counting as negative
  return SetFilePointer(file, (LONG)offset, &high, FILE_BEGIN) == offset;
}

static bool WriteAll(HANDLE file, const void *bytes, DWORD count) {
  DWORD written = 0;
  return WriteFile(file, bytes, count, &written, NULL) && written == count;
}

// Puts the first count bytes of from over the start of to, through
// FileBuffer, and ends to after them; true once they are on disk.
static bool CopyFileStart(HANDLE from, HANDLE to, DWORD count) {
  if ((count > 0 && !MoveTo(from, 0)) || !MoveTo(to, 0)) return false;
  for (DWORD done = 0; done < count;) {
    DWORD chunk = count - done < sizeof FileBuffer ? count - done : (DWORD)sizeof FileBuffer;
    DWORD read = 0;
    if (!ReadFile(from, FileBuffer, chunk, &read, NULL) || read != chunk || !WriteAll(to, FileBuffer, chunk)) {
      return false;
    }
    done += chunk;
  }
  return SetEndOfFile(to) && FlushFileBuffers(to);
}

// A copy of the first count bytes of file, safe on disk in the temporary
// folder; INVALID_HANDLE_VALUE, with nothing left behind, when it cannot be made.
static HANDLE BackUpOldBytes(HANDLE file, DWORD count) {
  char folder[FileNameCapacity];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder || GetTempFileNameA(folder, "scr", 0, BackupPath) == 0) {
    return INVALID_HANDLE_VALUE;
  }
  HANDLE backup =
      CreateFileA(BackupPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (backup != INVALID_HANDLE_VALUE && CopyFileStart(file, backup, count)) return backup;
  if (backup != INVALID_HANDLE_VALUE) CloseHandle(backup);
  DeleteFileA(BackupPath);
  return INVALID_HANDLE_VALUE;
}

// The mark, the units and the terminator over the old bytes of file.
static bool WriteDocumentOver(HANDLE file, DWORD oldBytes) {
  memset(FileBuffer, 0, sizeof FileBuffer);
  FileBuffer[0] = ByteOrderMark;
  memcpy(FileBuffer + 1, DocumentText, sizeof(WCHAR) * (size_t)DocumentLength);
  DWORD bytes = (DWORD)(2 * DocumentLength + 2);
  // Growing first: a full disk shows before a single old byte is overwritten.
  bool grown = oldBytes == 0 || bytes <= oldBytes ||
               (MoveTo(file, oldBytes) && WriteAll(file, (char *)FileBuffer + oldBytes, bytes - oldBytes));
  return grown && MoveTo(file, 0) && WriteAll(file, FileBuffer, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
}

// Writes the document into the file at path, creating it if there is none;
// true when it was written. A failed save keeps the old file as it was.
static bool WriteUnicodeFile(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  BY_HANDLE_FILE_INFORMATION old;
  // Windows refuses to open a read-only file for writing, but Wine lets its
  // root user do it: the mark is the user's own protection whoever runs us.
  bool ready = GetFileInformationByHandle(file, &old) && !(old.dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
               old.nFileSizeHigh == 0;
  DWORD oldBytes = ready ? old.nFileSizeLow : 0;
  HANDLE backup = INVALID_HANDLE_VALUE;
  if (ready && oldBytes > 0) ready = (backup = BackUpOldBytes(file, oldBytes)) != INVALID_HANDLE_VALUE;
  bool written = ready && WriteDocumentOver(file, oldBytes);
  bool restored = written || !ready || created || CopyFileStart(backup, file, oldBytes);
  CloseHandle(file);
  if (!written && created) DeleteFileA(path);
  if (backup != INVALID_HANDLE_VALUE) {
    CloseHandle(backup);
    // Should the old bytes not go back, their copy is the only one left: it stays.
    if (restored) DeleteFileA(BackupPath);
  }
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
