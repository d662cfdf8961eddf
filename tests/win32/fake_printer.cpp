// The printer of the Win32 double: its dialog, the jobs on its DCs and the
// text drawn on their pages, recorded rather than rasterised so that tests
// can read positions and fonts in printer pixels; and the string calls the
// page numbers use. The DCs are fake_painting.cpp's, their fonts fake_fonts.cpp's.
#include "fake_win32_internal.h"

#include <cstdarg>

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

// Names and formats as given, quoted and not escaped.
Quoted AsIs(const char *text) { return Quote(text, Escapes::kNone); }

Session *LiveSession(HDC dc, const char *function) { return CheckPrinterDc(dc, function) ? &p.sessions[dc] : nullptr; }

// False, with misuse reported, unless the session is in the state the call needs.
bool Require(bool holds, HDC dc, const char *function, const char *what) {
  return holds || ReportMisuse(function, ": ", dc, " ", what);
}

// The spooler calls: the state check, then an injected failure, then the change.
// An injected failure returns 0, the edge of Windows' "zero or less" that a
// check for a negative result alone would take for success.
template <typename Change>
int SpoolerCall(const char *function, HDC dc, bool (*allowed)(HDC, const Session &, const char *), Change change) {
  Session *session = LiveSession(dc, function);
  int result = kSpError;
  if (session && allowed(dc, *session, function)) {
    result = InjectedFailure(fake::Fault::kSpooler, function) ? 0 : change(*session);
  }
  Record(function, "(", dc, ") -> ", result);
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
  if (!CheckPointer(record, "PrintDlgA", "PRINTDLGA")) {
    Record("PrintDlgA(NULL) -> FALSE");
    return FALSE;
  }
  // Only lStructSize bytes are the product's: a smaller record must not be read past its end.
  p.lastDialog = PRINTDLGA{};
  std::memcpy(&p.lastDialog, record, std::min<size_t>(record->lStructSize, sizeof(PRINTDLGA)));
  auto log = [size = record->lStructSize, flags = Hex{p.lastDialog.Flags}](const auto &...result) {
    Record("PrintDlgA(lStructSize ", size, ", Flags ", flags, ") -> ", result...);
  };
  bool ok = true;
  if (record->lStructSize != sizeof(PRINTDLGA)) {
    ok = ReportMisuse("PrintDlgA: lStructSize ", record->lStructSize,
                      " is not sizeof(PRINTDLGA), which the dialog refuses");
  } else if (record->hwndOwner) {
    ok = CheckWindow(record->hwndOwner, "PrintDlgA");
  }
  if (ok && ((record->hDevMode && record->hDevMode != DevMode()) ||
             (record->hDevNames && record->hDevNames != DevNames()))) {
    ok = ReportMisuse("PrintDlgA: hDevMode or hDevNames did not come from PrintDlgA");
  }
  if (!ok) {
    log("FALSE");
    return FALSE;
  }
  Answer answer{false, false};
  if (p.answers.empty()) {
    ADD_FAILURE() << "PrintDlgA: no scripted answer; cancelling";
  } else {
    answer = p.answers.front();
    p.answers.pop_front();
  }
  if (InjectedFailure(fake::Fault::kDialog, "PrintDlgA")) {
    log("FALSE");
    return FALSE;
  }
  if (!answer.print) {
    log("cancelled");
    return FALSE;
  }
  record->hDevMode = DevMode();
  record->hDevNames = DevNames();
  record->nCopies = 1;  // the driver makes the copies (PD_USEDEVMODECOPIESANDCOLLATE)
  const bool returnsDc = (record->Flags & PD_RETURNDC) != 0;
  if (returnsDc) record->hDC = answer.returnsDc ? MakePrinterDc() : nullptr;
  log("TRUE", returnsDc ? Entry(" ", record->hDC) : "");
  return TRUE;
}

// ---- GDI32 ----------------------------------------------------------------

int WINAPI StartDocA(HDC dc, const DOCINFOA *document) {
  Session *session = LiveSession(dc, "StartDocA");
  int result = kSpError;
  if (session && !document) {
    ReportMisuse("StartDocA: NULL DOCINFOA");
  } else if (session && document->cbSize != (int)sizeof(DOCINFOA)) {
    ReportMisuse("StartDocA: cbSize ", document->cbSize, " is not sizeof(DOCINFOA)");
  } else if (session && Require(session->job < 0, dc, "StartDocA", "already has a document started")) {
    result = 0;  // an injected failure's result, as in SpoolerCall
    if (!InjectedFailure(fake::Fault::kSpooler, "StartDocA")) {
      p.jobs.push_back({document->lpszDocName ? document->lpszDocName : "", 0, fake::JobEnd::kOpen});
      session->job = (int)p.jobs.size() - 1;
      result = session->job + 1;
    }
  }
  Record("StartDocA(", dc, ", ", AsIs(document ? document->lpszDocName : nullptr), ") -> ", result);
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
  Record("DeleteDC(", dc, ")", Failed(ok));
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
    ReportMisuse("wsprintfA: buffer or format ", AsIs(format), " is not modelled");
    return 0;
  }
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, 1024, format, arguments);  // wsprintfA writes 1024 bytes at most
  va_end(arguments);
  Record("wsprintfA(", AsIs(format), ") -> ", AsIs(buffer));
  return std::min(length, 1023);
}

int WINAPI lstrlenA(LPCSTR text) {
  const int length = text ? (int)std::strlen(text) : 0;
  Record("lstrlenA(", AsIs(text), ") -> ", length);
  return length;
}

// ---- Lent to the other areas ------------------------------------------------

bool fake_internal::PrinterCap(int index, int *value) {
  const std::pair<int, int> caps[] = {{LOGPIXELSX, p.dpiX},        {LOGPIXELSY, p.dpiY},
                                      {PHYSICALWIDTH, p.width},    {PHYSICALHEIGHT, p.height},
                                      {PHYSICALOFFSETX, p.offsetX}, {PHYSICALOFFSETY, p.offsetY}};
  auto cap = std::find_if(std::begin(caps), std::end(caps), [index](auto c) { return c.first == index; });
  if (cap != std::end(caps)) *value = cap->second;
  return cap != std::end(caps);
}

bool fake_internal::PrintUnits(HDC handle, const char *function, int x, int y, const std::u16string &units,
                               const LOGFONTA &font, bool transparent) {
  const Session &s = p.sessions[handle];
  if (!InPage(handle, s, function)) return false;
  p.texts.push_back({p.jobs[(size_t)s.job].pagesEnded + 1, x, y, units, font, transparent});
  return true;
}

void fake_internal::AddPrinterLeaks(std::vector<std::string> &leaks) {
  for (size_t i = 0; i < p.jobs.size(); ++i) {
    if (p.jobs[i].end != fake::JobEnd::kOpen) continue;
    leaks.push_back(Entry("job ", i + 1, " ", AsIs(p.jobs[i].name.c_str()), " neither ended nor aborted"));
  }
}

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
