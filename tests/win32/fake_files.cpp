// Files in the Win32 double: an in-memory file system with Windows' sharing,
// read-only files and temporary names, its handles, and the scripted Open and Save dialogs.
#include "fake_win32_internal.h"

using namespace fake_internal;

namespace {

struct FileHandle {
  FileHandle(const std::string &filePath, DWORD fileAccess, DWORD fileShare)
      : path(filePath), access(fileAccess), share(fileShare) {}
  std::string path;
  DWORD access;
  DWORD share;
  size_t position = 0;
  bool open = true;
};

struct Files {
  std::map<std::string, std::string> files;              // path -> bytes
  std::set<std::string> folders{fake::TemporaryFolder};  // made by MakeFolder, without a trailing backslash
  std::set<std::string> readOnly;                        // paths of files marked read-only
  DWORD lastError = 0;                                   // what the last CreateFileA left for GetLastError
  std::vector<FileHandle> handles;                       // every file handle made, by index
  size_t firstOpen = 0;                                  // below it no handle is open
  UINT lastTemporary = 0;  // the number GetTempFileNameA gave last
  std::deque<std::string> dialogAnswers;
  OPENFILENAMEA lastDialog{};
  std::string lastFilter;
};

Files fs;

HANDLE FileHandleOf(size_t index) { return MakeHandle<HANDLE>(kFile, index); }

size_t FirstOpenFile() {
  return FirstLive(fs.handles, &fs.firstOpen, [](const FileHandle &file) { return file.open; });
}

// "C:\docs\" names the same folder as "C:\docs".
std::string FolderName(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

bool FolderExists(const std::string &path) {
  const std::string folder = FolderName(path);
  if (fs.folders.count(folder)) return true;
  const std::string inside = folder + '\\';
  auto isInside = [&inside](const std::string &name) { return name.compare(0, inside.size(), inside) == 0; };
  auto file = fs.files.lower_bound(inside);
  auto made = fs.folders.lower_bound(inside);
  return (file != fs.files.end() && isInside(file->first)) || (made != fs.folders.end() && isInside(*made));
}

// A path without a backslash lies in the current folder, which exists.
bool ParentExists(const std::string &path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos || FolderExists(path.substr(0, slash));
}

// Calls visit(handle) for each open handle to path until it returns true; true when one did.
template <typename Visit>
bool AnyOpenHandle(const std::string &path, Visit visit) {
  return std::any_of(fs.handles.begin() + (ptrdiff_t)FirstOpenFile(), fs.handles.end(),
                     [&](const FileHandle &file) { return file.open && file.path == path && visit(file); });
}

// Windows refuses to delete a file while a handle to it is open.
bool Removable(const std::string &path) {
  return fs.files.count(path) && !AnyOpenHandle(path, [](const FileHandle &) { return true; });
}

// Whether a handle with access would trespass on a handle opened with share.
// No write sharing is modelled, so any writer excludes every other handle.
bool Conflicts(DWORD access, DWORD share) {
  return ((access & GENERIC_READ) && !(share & FILE_SHARE_READ)) || (access & GENERIC_WRITE);
}

bool Openable(const std::string &path, DWORD access, DWORD share, DWORD disposition) {
  if (disposition == OPEN_EXISTING ? !fs.files.count(path) : !ParentExists(path)) return false;
  if ((access & GENERIC_WRITE) && fs.readOnly.count(path)) return false;
  return !AnyOpenHandle(path, [&](const FileHandle &file) {
    return Conflicts(access, file.share) || Conflicts(file.access, share);
  });
}

FileHandle *LiveFile(HANDLE handle, const char *function) {
  size_t index;
  if (!Decode(handle, kFile, fs.handles.size(), &index)) {
    ReportMisuse(function, ": ", handle, " is not a file");
    return nullptr;
  }
  if (!fs.handles[index].open) {
    ReportMisuse(function, ": ", handle, " used after CloseHandle");
    return nullptr;
  }
  return &fs.handles[index];
}

// What ReadFile and WriteFile share. The count is cleared before any
// checking, as Windows does; only overlapped calls may leave it out, and
// overlapped handles are not modelled. move makes the transfer of at most
// the bytes it is given at the file's position and returns the bytes it moved.
template <typename Move>
BOOL Transfer(const char *function, DWORD access, HANDLE handle, const void *buffer, DWORD bytes, DWORD *count,
              const void *overlapped, Move move) {
  if (count) *count = 0;
  FileHandle *file = LiveFile(handle, function);
  if (file && overlapped) {
    file = nullptr;
    ReportMisuse(function, ": overlapped transfers are not modelled");
  } else if (file && (!count || (!buffer && bytes))) {
    file = nullptr;
    ReportMisuse(function, ": NULL buffer or count");
  }
  bool struck = file && InjectedFailure(fake::Fault::kFileIo, function);
  bool shortens = struck && access == GENERIC_WRITE && WritesShort();
  bool ok = file && (!struck || shortens) && (file->access & access);
  if (ok) {
    *count = move(fs.files[file->path], file->position, shortens ? bytes / 2 : bytes);
    file->position += *count;
  }
  Record(function, "(", handle, ", ", bytes, " bytes) -> ", ResultOr(ok, [&] { return std::to_string(*count); }));
  return ok;
}

const ValueName kDispositionNames[] = {
    {CREATE_ALWAYS, "CREATE_ALWAYS"}, {OPEN_EXISTING, "OPEN_EXISTING"}, {OPEN_ALWAYS, "OPEN_ALWAYS"}};
const ValueName kAccessNames[] = {{GENERIC_READ, "GENERIC_READ"}, {GENERIC_WRITE, "GENERIC_WRITE"}};
const ValueName kShareNames[] = {{FILE_SHARE_READ, "FILE_SHARE_READ"}};
const ValueName kFileSizeNames[] = {{INVALID_FILE_SIZE, "INVALID_FILE_SIZE"}};

}  // namespace

size_t fake_internal::FileHandlesMade() { return fs.handles.size(); }

void fake_internal::AddFileLeaks(std::vector<std::string> &leaks) {
  for (size_t i = FirstOpenFile(); i < fs.handles.size(); ++i) {
    if (!fs.handles[i].open) continue;
    leaks.push_back(Entry(FileHandleOf(i), " of ", QuotePath(fs.handles[i].path.c_str()), " not closed"));
  }
}

// ---- KERNEL32 -------------------------------------------------------------

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, void *security, DWORD disposition,
                          DWORD attributes, HANDLE templateFile) {
  bool ok = CheckPointer(path, "CreateFileA", "path");
  if (ok && ((access & ~(DWORD)(GENERIC_READ | GENERIC_WRITE)) || (share & ~(DWORD)FILE_SHARE_READ) || security ||
             !NameOf(disposition, kDispositionNames) || (attributes & ~(DWORD)FILE_ATTRIBUTE_NORMAL) || templateFile)) {
    ok = ReportMisuse("CreateFileA: only read and write access, FILE_SHARE_READ, CREATE_ALWAYS, OPEN_EXISTING, "
                      "OPEN_ALWAYS and normal attributes are modelled");
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  fs.lastError = ERROR_ACCESS_DENIED;  // whatever the cause: the product reads the code only after success
  if (ok && !InjectedFailure(fake::Fault::kFileIo, "CreateFileA") && Openable(path, access, share, disposition)) {
    fs.lastError = fs.files.count(path) && disposition != OPEN_EXISTING ? ERROR_ALREADY_EXISTS : 0;
    if (disposition == CREATE_ALWAYS) fs.files[path].clear();
    fs.files[path];  // OPEN_ALWAYS makes a missing file
    handle = FileHandleOf(fs.handles.size());
    fs.handles.emplace_back(path, access, share);
  }
  Record("CreateFileA(", QuotePath(path), ", ", FlagsOf(access, kAccessNames), ", ", FlagsOf(share, kShareNames), ", ",
         Named{disposition, NameOf(disposition, kDispositionNames)}, ") -> ", handle);
  return handle;
}

DWORD WINAPI GetFileSize(HANDLE handle, DWORD *high) {
  FileHandle *file = LiveFile(handle, "GetFileSize");
  DWORD size = INVALID_FILE_SIZE;
  if (file && !InjectedFailure(fake::Fault::kFileIo, "GetFileSize")) {
    size = (DWORD)fs.files[file->path].size();
    if (high) *high = 0;  // in-memory files stay below 4 GB
  }
  Record("GetFileSize(", handle, ") -> ", Named{size, NameOf(size, kFileSizeNames)});
  return size;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD bytes, DWORD *read, void *overlapped) {
  return Transfer("ReadFile", GENERIC_READ, handle, buffer, bytes, read, overlapped,
                  [&](const std::string &contents, size_t position, DWORD) {
                    size_t count = position < contents.size() ? std::min<size_t>(bytes, contents.size() - position) : 0;
                    if (count) std::memcpy(buffer, contents.data() + position, count);
                    return (DWORD)count;
                  });
}

BOOL WINAPI WriteFile(HANDLE handle, const void *buffer, DWORD bytes, DWORD *written, void *overlapped) {
  return Transfer("WriteFile", GENERIC_WRITE, handle, buffer, bytes, written, overlapped,
                  [&](std::string &contents, size_t position, DWORD count) {
                    if (contents.size() < position + count) contents.resize(position + count);
                    if (count) contents.replace(position, count, static_cast<const char *>(buffer), count);
                    return count;
                  });
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
  FileHandle *file = LiveFile(handle, "FlushFileBuffers");
  // Writes reach the in-memory file at once; flushing needs write access all the same.
  bool ok = file && !InjectedFailure(fake::Fault::kFileIo, "FlushFileBuffers") && (file->access & GENERIC_WRITE);
  Record("FlushFileBuffers(", handle, ")", Failed(ok));
  return ok;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  FileHandle *file = LiveFile(handle, "CloseHandle");
  bool ok = file && !InjectedFailure(fake::Fault::kFileIo, "CloseHandle");
  if (file) file->open = false;  // Windows releases the handle even when closing reports an error
  Record("CloseHandle(", handle, ")", Failed(ok));
  return ok;
}

UINT WINAPI GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
  bool ok = CheckPointer(folder, "GetTempFileNameA", "folder") && CheckPointer(prefix, "GetTempFileNameA", "prefix") &&
            CheckPointer(name, "GetTempFileNameA", "name buffer");
  if (ok && unique != 0) ok = ReportMisuse("GetTempFileNameA: only unique 0 (make a new file) is modelled");
  UINT number = 0;
  const std::string stem = ok ? FolderName(folder) + '\\' + std::string(prefix).substr(0, 3) : "";
  // The name needs room for 4 hex digits, ".tmp" and its 0 in the MAX_PATH buffer.
  if (ok && !InjectedFailure(fake::Fault::kFileIo, "GetTempFileNameA") && FolderExists(folder) &&
      stem.size() + 9 <= MAX_PATH) {
    // Counts on from the last number, skipping names in use, until all 65535 are tried.
    for (UINT tries = 0; tries < 0xFFFF && number == 0; ++tries) {
      fs.lastTemporary = fs.lastTemporary % 0xFFFF + 1;
      char digits[8];
      std::snprintf(digits, sizeof digits, "%04X", fs.lastTemporary);
      const std::string path = stem + digits + ".tmp";
      if (fs.files.count(path)) continue;
      fs.files[path] = "";
      std::memcpy(name, path.c_str(), path.size() + 1);
      number = fs.lastTemporary;
    }
  }
  Record("GetTempFileNameA(", QuotePath(folder), ", ", Quote(prefix), ", ", unique, ") -> ",
         number ? Entry(QuotePath(name)) : "0");
  return number;
}

BOOL WINAPI GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
  FileHandle *file = LiveFile(handle, "GetFileInformationByHandle");
  bool ok = file && CheckPointer(information, "GetFileInformationByHandle", "information") &&
            !InjectedFailure(fake::Fault::kFileIo, "GetFileInformationByHandle");
  if (ok) {
    *information = BY_HANDLE_FILE_INFORMATION{};
    information->dwFileAttributes = fs.readOnly.count(file->path) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_ARCHIVE;
    information->nFileSizeLow = (DWORD)fs.files[file->path].size();
    information->nNumberOfLinks = 1;
  }
  Record("GetFileInformationByHandle(", handle, ") -> ",
         ResultOr(ok, [&] { return Entry(information->nFileSizeLow, " bytes"); }));
  return ok;
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, LONG *distanceHigh, DWORD method) {
  FileHandle *file = LiveFile(handle, "SetFilePointer");
  if (file && method != FILE_BEGIN) {
    ReportMisuse("SetFilePointer: only FILE_BEGIN is modelled");
    file = nullptr;
  }
  // Without the high half the distance is signed; with it, the low half is not.
  const int64_t offset = distanceHigh ? (int64_t)(((uint64_t)(DWORD)*distanceHigh << 32) | (DWORD)distance) : distance;
  bool ok = file && !InjectedFailure(fake::Fault::kFileIo, "SetFilePointer") && offset >= 0;
  if (ok) {
    file->position = (size_t)offset;
    if (distanceHigh) *distanceHigh = (LONG)(offset >> 32);
  }
  Record("SetFilePointer(", handle, ", ", (long long)offset, ")", Failed(ok));
  return ok ? (DWORD)offset : INVALID_SET_FILE_POINTER;
}

BOOL WINAPI SetEndOfFile(HANDLE handle) {
  FileHandle *file = LiveFile(handle, "SetEndOfFile");
  bool ok = file && !InjectedFailure(fake::Fault::kFileIo, "SetEndOfFile") && (file->access & GENERIC_WRITE);
  if (ok) fs.files[file->path].resize(file->position);
  Record("SetEndOfFile(", handle, ")", Failed(ok));
  return ok;
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  const std::string folder = std::string(fake::TemporaryFolder) + '\\';
  DWORD result = 0;
  if (!InjectedFailure(fake::Fault::kFileIo, "GetTempPathA")) {
    // Too small a buffer gets nothing and the size it needs.
    result = size > folder.size() ? (DWORD)folder.size() : (DWORD)folder.size() + 1;
    if (size > folder.size() && CheckPointer(buffer, "GetTempPathA", "buffer")) {
      std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    }
  }
  Record("GetTempPathA(", size, ") -> ", result);
  return result;
}

DWORD WINAPI GetLastError(void) { return fs.lastError; }

BOOL WINAPI DeleteFileA(LPCSTR path) {
  bool ok = CheckPointer(path, "DeleteFileA", "path") && !InjectedFailure(fake::Fault::kFileIo, "DeleteFileA") &&
            Removable(path);
  if (ok) fs.files.erase(path);
  Record("DeleteFileA(", QuotePath(path), ")", Failed(ok));
  return ok;
}

// ---- COMDLG32 ---------------------------------------------------------------

namespace {

// lpstrFilter ends with two 0s in a row; every 0 up to them shows as '|'.
std::string FilterText(const char *filter) {
  std::string text;
  for (size_t i = 0; filter; ++i) {
    text += filter[i] ? filter[i] : '|';
    if (i > 0 && filter[i] == 0 && filter[i - 1] == 0) break;
  }
  return text;
}

// What the user ends up choosing: the scripted path, with the default
// extension the dialog adds to a name typed without one; "" when cancelled.
std::string ChosenPath(const char *function, const OPENFILENAMEA &record) {
  if (fs.dialogAnswers.empty()) {
    ADD_FAILURE() << function << ": no scripted answer; cancelling";
    return "";
  }
  std::string path = fs.dialogAnswers.front();
  fs.dialogAnswers.pop_front();
  if (path.empty()) return path;
  if (record.lpstrDefExt && *record.lpstrDefExt && path.find('.', path.rfind('\\') + 1) == std::string::npos) {
    path += '.' + std::string(record.lpstrDefExt).substr(0, 3);  // the dialog appends three characters at most
  }
  // The real dialog keeps asking rather than return such a path.
  const char *refusal = nullptr;
  if ((record.Flags & OFN_FILEMUSTEXIST) && !fs.files.count(path)) {
    refusal = "does not exist";
  } else if ((record.Flags & OFN_PATHMUSTEXIST) && !ParentExists(path)) {
    refusal = "is in no folder that exists";
  }
  if (refusal) {
    ADD_FAILURE() << function << ": the dialog would not return \"" << path << "\", which " << refusal
                  << "; cancelling";
    return "";
  }
  return path;
}

BOOL FileDialog(const char *function, LPOPENFILENAMEA record) {
  if (!CheckPointer(record, function, "OPENFILENAMEA")) {
    Record(function, "(NULL) -> FALSE");
    return FALSE;
  }
  // Only lStructSize bytes are the product's: a smaller record must not be read past its end.
  fs.lastDialog = OPENFILENAMEA{};
  std::memcpy(&fs.lastDialog, record, std::min<size_t>(record->lStructSize, sizeof(OPENFILENAMEA)));
  fs.lastFilter.clear();
  if (record->lStructSize != sizeof(OPENFILENAMEA)) {
    ReportMisuse(function, ": lStructSize ", record->lStructSize,
                 " is not sizeof(OPENFILENAMEA), which the dialog refuses");
    Record(function, "(lStructSize ", record->lStructSize, ") -> FALSE");
    return FALSE;
  }
  fs.lastFilter = FilterText(record->lpstrFilter);
  bool ok = true;
  if (!record->lpstrFile || record->nMaxFile == 0) {
    ok = ReportMisuse(function, ": no lpstrFile buffer");
  } else if (record->hwndOwner) {
    ok = CheckWindow(record->hwndOwner, function);
  }
  auto log = [function, flags = Hex{fs.lastDialog.Flags}](const auto &...result) {
    Record(function, "(flags ", flags, ") -> ", result...);
  };
  if (!ok) {
    log("FALSE");
    return FALSE;
  }
  const std::string path = ChosenPath(function, *record);
  if (InjectedFailure(fake::Fault::kDialog, function)) {
    log("FALSE");
    return FALSE;
  }
  if (path.empty()) {
    log("cancelled");
    return FALSE;
  }
  if (path.size() + 1 > record->nMaxFile) {
    // FNERR_BUFFERTOOSMALL: the first two bytes hold the size needed.
    if (record->nMaxFile >= 2) {
      const WORD needed = (WORD)(path.size() + 1);
      std::memcpy(record->lpstrFile, &needed, sizeof needed);
    }
    log("buffer too small for ", QuotePath(path.c_str()));
    return FALSE;
  }
  std::memcpy(record->lpstrFile, path.c_str(), path.size() + 1);
  const size_t nameStart = path.rfind('\\') + 1;  // 0 when there is no folder (npos + 1)
  const std::string name = path.substr(nameStart);
  if (record->lpstrFileTitle && record->nMaxFileTitle > 0) {
    const size_t length = std::min<size_t>(name.size(), record->nMaxFileTitle - 1);
    std::memcpy(record->lpstrFileTitle, name.data(), length);
    record->lpstrFileTitle[length] = 0;
  }
  // Without an extension nFileExtension is the terminating 0's offset; after a final '.' it is 0.
  const size_t dot = name.rfind('.');
  size_t extension = nameStart + dot + 1;
  if (dot == std::string::npos) {
    extension = path.size();
  } else if (dot + 1 == name.size()) {
    extension = 0;
  }
  record->nFileOffset = (WORD)nameStart;
  record->nFileExtension = (WORD)extension;
  log(QuotePath(path.c_str()));
  return TRUE;
}

}  // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA record) { return FileDialog("GetOpenFileNameA", record); }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA record) { return FileDialog("GetSaveFileNameA", record); }

// ---- What tests see -----------------------------------------------------------

namespace fake {

void MakeFolder(const std::string &folder) { fs.folders.insert(FolderName(folder)); }
void MarkReadOnly(const std::string &path) { fs.readOnly.insert(path); }
void PutFile(const std::string &path, const std::string &bytes) { fs.files[path] = bytes; }
bool FileExists(const std::string &path) { return fs.files.count(path) != 0; }

std::string FileBytes(const std::string &path) {
  auto file = fs.files.find(path);
  if (file != fs.files.end()) return file->second;
  ADD_FAILURE() << "fake::FileBytes: there is no file \"" << path << "\"";
  return "";
}

std::vector<std::string> FilePaths() {
  std::vector<std::string> paths;
  for (const auto &file : fs.files) paths.push_back(file.first);
  return paths;
}

void AnswerNextFileDialog(const std::string &path) { fs.dialogAnswers.push_back(path); }
OPENFILENAMEA LastFileDialogRecord() { return fs.lastDialog; }
std::string LastFileDialogFilter() { return fs.lastFilter; }

}  // namespace fake
