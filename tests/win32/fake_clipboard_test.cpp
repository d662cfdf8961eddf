// Self-tests of the double's clipboard and global memory: who owns a block,
// what counts as misuse or a leak, and the faults tests can inject.
#include "fake_win32.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>

namespace {

LRESULT CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return 0; }

TEST(FakeClipboard, TheClipboardTakesTheBlockAndFreesTheOneItHeld) {
  HWND window = fake::OpenWindow(Ignore, 10, 10);
  fake::PutClipboardUnits(u"old");
  fake::ClearCalls();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 8);
  std::memcpy(GlobalLock(block), u"a\r\n", 6);
  GlobalUnlock(block);
  OpenClipboard(window);
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, block);
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(GlobalFree(block), block), "GlobalFree: hglobal2 belongs to the clipboard");
  GlobalSize(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
  EXPECT_EQ(fake::Calls(), (std::vector<std::string>{
                               "GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 8) -> hglobal2",
                               "GlobalLock(hglobal2) -> hglobal2 bytes", "GlobalUnlock(hglobal2)", "OpenClipboard(hwnd1)",
                               "EmptyClipboard()", "SetClipboardData(CF_UNICODETEXT, hglobal2) -> hglobal2",
                               "GlobalFree(hglobal2) -> hglobal2", "GetClipboardData(CF_UNICODETEXT) -> hglobal2",
                               "GlobalSize(hglobal2) -> 8", "CloseClipboard()"}));
  EXPECT_EQ(fake::ClipboardUnits(), std::u16string(u"a\r\n\0", 4));
  EXPECT_EQ(fake::ClipboardOwner(), window);
  EXPECT_TRUE(fake::Leaks().empty());
  fake::EmptyClipboardElsewhere();  // the system frees the block
  EXPECT_NONFATAL_FAILURE(GlobalSize(block), "GlobalSize: hglobal2 is not a live global block");
}

TEST(FakeClipboard, MisuseIsReportedAndWhatIsHeldIsALeak) {
  HWND window = fake::OpenWindow(Ignore, 10, 10);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  fake::PutClipboardUnits(u"x");
  OpenClipboard(window);
  HGLOBAL data = GetClipboardData(CF_UNICODETEXT);
  CloseClipboard();
  const std::pair<std::function<void()>, const char *> steps[] = {
      {[&] { GlobalUnlock(block); }, "GlobalUnlock: hglobal1 is not locked"},
      {[&] { GlobalAlloc(GMEM_ZEROINIT, 4); }, "GlobalAlloc: only movable blocks"},
      {[&] { EXPECT_FALSE(CloseClipboard()); }, "CloseClipboard: the clipboard is not open"},
      {[&] { GlobalSize(data); }, "GlobalSize: hglobal2 belongs to the clipboard, which is not open"},
      {[&] { OpenClipboard(window) && GlobalLock(data) && CloseClipboard(); }, "CloseClipboard: hglobal2 is still locked"},
      {[&] { OpenClipboard(window) && GlobalLock(block) && SetClipboardData(CF_UNICODETEXT, block); },
       "SetClipboardData: hglobal1 is still locked"},
      {[&] { SetClipboardData(1, block); }, "SetClipboardData: format 1 is not modelled"},
      {[&] { GlobalFree(block); }, "GlobalFree: hglobal1 is still locked"},
  };
  for (const auto &step : steps) EXPECT_NONFATAL_FAILURE(step.first(), step.second);
  EXPECT_EQ(fake::Misuse().size(), std::size(steps));
  EXPECT_EQ(fake::Leaks(), (std::vector<std::string>{"hglobal1 of 4 bytes not freed", "hglobal1 still locked",
                                                     "hglobal2 still locked", "the clipboard is still open"}));
}

TEST(FakeClipboard, InjectedFailuresAndAReportedSizePastTheUnits) {
  HWND window = fake::OpenWindow(Ignore, 10, 10);
  fake::PutClipboardUnits(u"ab");
  fake::FailCalls(fake::Fault::kGlobalMemory, 1, 1);
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 2), nullptr);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 2);
  fake::FailCalls(fake::Fault::kGlobalMemory, 1, 1);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(*static_cast<unsigned char *>(GlobalLock(block)), 0xCD) << "garbage without GMEM_ZEROINIT";
  GlobalUnlock(block);
  // Another program holding the clipboard open twice, then each call once.
  fake::FailCalls(fake::Fault::kClipboard, 1, 2);
  EXPECT_FALSE(OpenClipboard(window));
  EXPECT_EQ(fake::Calls().back(), "OpenClipboard(hwnd1) -> FALSE");
  EXPECT_FALSE(OpenClipboard(window));
  ASSERT_TRUE(OpenClipboard(window));
  fake::FailCalls(fake::Fault::kClipboard, 1, 3);
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  EXPECT_EQ(GlobalFree(block), nullptr) << "a refused block stays the caller's";
  // Past the units a reader finds 'A' padding, up to 1 MiB of a huge size.
  HGLOBAL data = GetClipboardData(CF_UNICODETEXT);
  fake::SetClipboardReportedSize(SIZE_T{1} << 30);
  EXPECT_EQ(GlobalSize(data), SIZE_T{1} << 30);
  const auto *units = static_cast<const char16_t *>(GlobalLock(data));
  EXPECT_EQ(std::u16string(units, 3) + units[(1 << 19) - 1], u"abAA");
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(fake::ClipboardUnits(), u"ab");
  EXPECT_TRUE(fake::Misuse().empty() && fake::Leaks().empty());
}

}  // namespace
