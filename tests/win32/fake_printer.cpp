// The printer of the Win32 double: its dialog, the jobs on its DCs and the
// text drawn on their pages, recorded rather than rasterised so that tests
// can read positions and fonts in printer pixels. The DCs themselves, their
// fonts and metrics are fake_win32.cpp's.
#include "fake_win32.h"
#include "fake_win32_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>

using namespace fake_internal;

namespace {

constexpr int kSpError = -1;  // SP_ERROR, what a failed spooler call returns

struct Answer {
  bool print;
  bool returnsDc;
};

struct Session {  // a printer DC's place in its job
  int job = -1;   // index into Printer::jobs while a document is open
  bool inPage = false;
};

struct Printer {
  int dpiX = 600, dpiY = 600, width = 5100, height = 6600, offsetX = 0, offsetY = 0;
  std::deque<Answer> answers;
  PRINTDLGA lastDialog{};
  std::vector<fake::PrintJob> jobs;
  std::vector<fake::PrintedText> texts;
  std::map<HDC, Session> sessions;  // by live printer DC
};

Printer p;

HGLOBAL DevMode() { return MakeHandle<HGLOBAL>(kStock, kDevModeStock); }
HGLOBAL DevNames() { return MakeHandle<HGLOBAL>(kStock, kDevNamesStock); }

// ---- Call log -------------------------------------------------------------

std::string Quote(const char *text) { return text ? '"' + std::string(text) + '"' : "NULL"; }

Session *LiveSession(HDC dc, const char *function) { return CheckPrinterDc(dc, function) ? &p.sessions[dc] : nullptr; }

// False, with misuse reported, unless the session is in the state the call needs.
bool Require(bool holds, HDC dc, const char *function, const char *what) {
  if (!holds) ReportMisuse(std::string(function) + ": " + HandleName(dc) + " " + what);
  return holds;
}

// The spooler calls: the state check, then an injected failure, then the change.
template <typename Change>
int SpoolerCall(const char *function, HDC dc, bool (*allowed)(HDC, const Session &, const char *), Change change) {
  Session *session = LiveSession(dc, function);
  int result = kSpError;
  if (session && allowed(dc, *session, function) && !InjectedFailure(function)) result = change(*session);
  RecordCall(function, "(", dc, ") -> ", result);
  return result;
}

bool InDocument(HDC dc, const Session &s, const char *function) {
  return Require(s.job >= 0, dc, function, "has no document started");
}
bool BetweenPages(HDC dc, const Session &s, const char *function) {
  return InDocument(dc, s, function) && Require(!s.inPage, dc, function, "still has a page open");
}
bool InPage(HDC dc, const Session &s, const char *function) {
  return InDocument(dc, s, function) && Require(s.inPage, dc, function, "has no page open");
}

}  // namespace

// ---- COMDLG32 -------------------------------------------------------------

BOOL WINAPI PrintDlgA(LPPRINTDLGA record) {
  if (!record) {
    ReportMisuse("PrintDlgA: NULL PRINTDLGA");
    RecordCall("PrintDlgA(NULL) -> FALSE");
    return FALSE;
  }
  // Only lStructSize bytes are the product's: a smaller record must not be read past its end.
  p.lastDialog = PRINTDLGA{};
  std::memcpy(&p.lastDialog, record, std::min<size_t>(record->lStructSize, sizeof(PRINTDLGA)));
  char call[64];
  std::snprintf(call, sizeof call, "PrintDlgA(lStructSize %u, Flags 0x%X) -> ", record->lStructSize,
                p.lastDialog.Flags);
  bool ok = true;
  if (record->lStructSize != sizeof(PRINTDLGA)) {
    ReportMisuse("PrintDlgA: lStructSize " + std::to_string(record->lStructSize) +
                 " is not sizeof(PRINTDLGA), which the dialog refuses");
    ok = false;
  } else if (record->hwndOwner) {
    ok = CheckWindow(record->hwndOwner, "PrintDlgA");
  }
  if (ok && ((record->hDevMode && record->hDevMode != DevMode()) ||
             (record->hDevNames && record->hDevNames != DevNames()))) {
    ReportMisuse("PrintDlgA: hDevMode or hDevNames did not come from PrintDlgA");
    ok = false;
  }
  if (!ok) {
    RecordCall(call, "FALSE");
    return FALSE;
  }
  Answer answer{false, false};
  if (p.answers.empty()) {
    ADD_FAILURE() << "PrintDlgA: no scripted answer; cancelling";
  } else {
    answer = p.answers.front();
    p.answers.pop_front();
  }
  if (!answer.print) {
    RecordCall(call, "cancelled");
    return FALSE;
  }
  record->hDevMode = DevMode();
  record->hDevNames = DevNames();
  record->nCopies = 1;  // the driver makes the copies (PD_USEDEVMODECOPIESANDCOLLATE)
  std::string result = "TRUE";
  if (record->Flags & PD_RETURNDC) {
    record->hDC = answer.returnsDc ? MakePrinterDc() : nullptr;
    result += " " + HandleName(record->hDC);
  }
  RecordCall(call, result);
  return TRUE;
}

// ---- GDI32 ----------------------------------------------------------------

int WINAPI StartDocA(HDC dc, const DOCINFOA *document) {
  Session *session = LiveSession(dc, "StartDocA");
  int result = kSpError;
  if (session && !document) {
    ReportMisuse("StartDocA: NULL DOCINFOA");
  } else if (session && document->cbSize != (int)sizeof(DOCINFOA)) {
    ReportMisuse("StartDocA: cbSize " + std::to_string(document->cbSize) + " is not sizeof(DOCINFOA)");
  } else if (session && Require(session->job < 0, dc, "StartDocA", "already has a document started") &&
             !InjectedFailure("StartDocA")) {
    p.jobs.push_back({document->lpszDocName ? document->lpszDocName : "", 0, fake::JobEnd::kOpen});
    session->job = (int)p.jobs.size() - 1;
    result = session->job + 1;
  }
  RecordCall("StartDocA(", dc, ", ", Quote(document ? document->lpszDocName : nullptr), ") -> ", result);
  return result;
}

int WINAPI StartPage(HDC dc) {
  return SpoolerCall("StartPage", dc, BetweenPages, [](Session &s) {
    s.inPage = true;
    return 1;
  });
}

int WINAPI EndPage(HDC dc) {
  return SpoolerCall("EndPage", dc, InPage, [](Session &s) {
    s.inPage = false;
    ++p.jobs[(size_t)s.job].pagesEnded;
    return 1;
  });
}

int WINAPI EndDoc(HDC dc) {
  return SpoolerCall("EndDoc", dc, BetweenPages, [](Session &s) {
    p.jobs[(size_t)s.job].end = fake::JobEnd::kEnded;
    s = Session{};
    return 1;
  });
}

int WINAPI AbortDoc(HDC dc) {
  return SpoolerCall("AbortDoc", dc, InDocument, [](Session &s) {
    p.jobs[(size_t)s.job].end = fake::JobEnd::kAborted;
    s = Session{};
    return 1;
  });
}

// A job still open stays open: PrintJobs and Leaks show it.
BOOL WINAPI DeleteDC(HDC dc) {
  bool ok = CheckPrinterDc(dc, "DeleteDC");
  if (ok) {
    EndPrinterDc(dc);
    p.sessions.erase(dc);
  }
  RecordCall("DeleteDC(", dc, ")", ok ? "" : " -> FALSE");
  return ok;
}

// ---- USER32 and KERNEL32 strings --------------------------------------------

// Only the conversions the product uses are modelled: %s, %i, %d and %%.
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  bool modelled = buffer && format;
  for (const char *c = format ? std::strchr(format, '%') : nullptr; modelled && c; c = std::strchr(c + 2, '%')) {
    modelled = c[1] && std::strchr("sid%", c[1]);
  }
  if (!modelled) {
    ReportMisuse("wsprintfA: buffer or format " + Quote(format) + " is not modelled");
    return 0;
  }
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, 1024, format, arguments);  // wsprintfA writes 1024 bytes at most
  va_end(arguments);
  RecordCall("wsprintfA(", Quote(format), ") -> ", Quote(buffer));
  return std::min(length, 1023);
}

int WINAPI lstrlenA(LPCSTR text) {
  const int length = text ? (int)std::strlen(text) : 0;
  RecordCall("lstrlenA(", Quote(text), ") -> ", length);
  return length;
}

// ---- Shared with fake_win32.cpp -------------------------------------------

namespace fake_internal {

bool PrinterCap(int index, int *value) {
  const std::pair<int, int> caps[] = {{LOGPIXELSX, p.dpiX},        {LOGPIXELSY, p.dpiY},
                                      {PHYSICALWIDTH, p.width},    {PHYSICALHEIGHT, p.height},
                                      {PHYSICALOFFSETX, p.offsetX}, {PHYSICALOFFSETY, p.offsetY}};
  auto cap = std::find_if(std::begin(caps), std::end(caps), [index](auto c) { return c.first == index; });
  if (cap != std::end(caps)) *value = cap->second;
  return cap != std::end(caps);
}

bool PrintUnits(HDC handle, const char *function, int x, int y, const std::u16string &units, const LOGFONTA &font,
                bool transparent) {
  const Session &s = p.sessions[handle];
  if (!InPage(handle, s, function)) return false;
  p.texts.push_back({p.jobs[(size_t)s.job].pagesEnded + 1, x, y, units, font, transparent});
  return true;
}

void AddPrinterLeaks(std::vector<std::string> &leaks) {
  for (size_t i = 0; i < p.jobs.size(); ++i) {
    if (p.jobs[i].end != fake::JobEnd::kOpen) continue;
    leaks.push_back("job " + std::to_string(i + 1) + " " + Quote(p.jobs[i].name.c_str()) +
                    " neither ended nor aborted");
  }
}

}  // namespace fake_internal

// ---- What tests see -------------------------------------------------------

namespace fake {

void SetPrinter(int dpiX, int dpiY, int physicalWidth, int physicalHeight, int offsetX, int offsetY) {
  p.dpiX = dpiX;
  p.dpiY = dpiY;
  p.width = physicalWidth;
  p.height = physicalHeight;
  p.offsetX = offsetX;
  p.offsetY = offsetY;
}

void AnswerNextPrintDialog(bool print, bool returnsDc) { p.answers.push_back({print, returnsDc}); }
PRINTDLGA LastPrintDialogRecord() { return p.lastDialog; }
const std::vector<PrintedText> &PrintedTexts() { return p.texts; }
const std::vector<PrintJob> &PrintJobs() { return p.jobs; }

}  // namespace fake
