// Memory in the Win32 double: the process heap, counted and made to fail on
// demand, and movable global blocks, each a real allocation of exactly its
// size so that a read past it shows under ASan.
#include "fake_win32_internal.h"

#include <unordered_map>

using namespace fake_internal;

namespace {

struct HeapBlock {
  size_t bytes;
  int number;
};

struct Memory {
  // What is still held at exit is freed here, or the leak checker, which runs
  // after this is destroyed, would blame what the clipboard rightly keeps.
  ~Memory() {
    for (GlobalBlock &block : globals) std::free(block.bytes);
  }
  std::unordered_map<const void *, HeapBlock> blocks;
  int blocksMade = 0;
  size_t heapBytes = 0;
  std::vector<GlobalBlock> globals;  // every global block made, by handle index
};

Memory m;

HANDLE ProcessHeap() { return MakeHandle<HANDLE>(kHeap, 0); }
HGLOBAL GlobalHandle(size_t index) { return MakeHandle<HGLOBAL>(kGlobal, index); }

bool CheckHeap(HANDLE heap, const char *function) {
  return heap == ProcessHeap() || ReportMisuse(function, ": ", heap, " is not the process heap");
}

const ValueName kHeapFlagNames[] = {{HEAP_ZERO_MEMORY, "HEAP_ZERO_MEMORY"}};
const ValueName kGlobalFlagNames[] = {
    {GMEM_MOVEABLE, "GMEM_MOVEABLE"}, {GMEM_ZEROINIT, "GMEM_ZEROINIT"}, {GMEM_DDESHARE, "GMEM_DDESHARE"}};

// A live block the program may use now: the clipboard's only while it has
// the clipboard open (it may be freed or replaced by others at any moment).
GlobalBlock *UsableBlock(HGLOBAL handle, const char *function) {
  GlobalBlock *block = LiveBlock(handle, function);
  if (!block || !block->clipboards || ClipboardOpen()) return block;
  ReportMisuse(function, ": ", handle, " belongs to the clipboard, which is not open");
  return nullptr;
}

}  // namespace

int fake_internal::HeapBlockNumber(const void *block) {
  auto found = m.blocks.find(block);
  return found == m.blocks.end() ? 0 : found->second.number;
}

void fake_internal::AddHeapLeaks(std::vector<std::string> &leaks) {
  std::vector<std::pair<int, size_t>> blocks;
  for (const auto &block : m.blocks) blocks.push_back({block.second.number, block.second.bytes});
  std::sort(blocks.begin(), blocks.end());
  for (const auto &block : blocks) {
    leaks.push_back(Entry("block", block.first, " of ", block.second, " bytes not freed"));
  }
}

size_t fake_internal::GlobalBlocksMade() { return m.globals.size(); }

HGLOBAL fake_internal::MakeGlobalBlock(SIZE_T size) {
  auto *bytes = static_cast<unsigned char *>(std::malloc(std::max<SIZE_T>(size, 1)));
  if (!bytes) return nullptr;
  m.globals.push_back({bytes, size, size, std::max<SIZE_T>(size, 1), 0, false});
  return GlobalHandle(m.globals.size() - 1);
}

GlobalBlock *fake_internal::LiveBlock(HGLOBAL handle, const char *function) {
  size_t index;
  if (Decode(handle, kGlobal, m.globals.size(), &index) && m.globals[index].bytes) return &m.globals[index];
  ReportMisuse(function, ": ", handle, " is not a live global block");
  return nullptr;
}

GlobalBlock &fake_internal::BlockOf(HGLOBAL handle) { return m.globals[reinterpret_cast<uintptr_t>(handle) >> 3]; }

void fake_internal::FreeGlobalBlock(GlobalBlock &block) {
  std::free(block.bytes);
  block.bytes = nullptr;
}

void fake_internal::AddGlobalLeaks(std::vector<std::string> &leaks) {
  for (size_t i = 0; i < m.globals.size(); ++i) {
    const GlobalBlock &block = m.globals[i];
    if (!block.bytes) continue;
    if (!block.clipboards) leaks.push_back(Entry(GlobalHandle(i), " of ", block.size, " bytes not freed"));
    if (block.locks) leaks.push_back(Entry(GlobalHandle(i), " still locked"));
  }
}

// ---- The heap ---------------------------------------------------------------

HANDLE WINAPI GetProcessHeap(void) {
  Record("GetProcessHeap() -> heap");
  return ProcessHeap();
}

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  void *block = nullptr;
  bool ok = CheckHeap(heap, "HeapAlloc");
  if (ok && !InjectedFailure(fake::Fault::kHeap, "HeapAlloc")) {
    block = std::malloc(std::max<SIZE_T>(bytes, 1));  // Windows hands out a block even for 0 bytes
  }
  if (block) {
    // Without HEAP_ZERO_MEMORY the contents are garbage, so reliance on zeros shows.
    std::memset(block, (flags & HEAP_ZERO_MEMORY) ? 0 : 0xCD, bytes);
    m.blocks[block] = {bytes, ++m.blocksMade};
    m.heapBytes += bytes;
  }
  Record("HeapAlloc(", heap, ", ", Named{flags, NameOf(flags, kHeapFlagNames)}, ", ", bytes, ") -> ", block);
  return block;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  bool ok = CheckHeap(heap, "HeapFree");
  auto found = m.blocks.find(block);
  // Freeing NULL succeeds and does nothing, as on Windows.
  if (ok && block && found == m.blocks.end()) ok = ReportMisuse("HeapFree: ", block, " is not a live heap block");
  Record("HeapFree(", heap, ", ", Named{flags, NameOf(flags, kHeapFlagNames)}, ", ", block, ")", Failed(ok));
  if (ok && block) {
    m.heapBytes -= found->second.bytes;
    m.blocks.erase(found);
    std::free(block);
  }
  return ok;
}

// ---- Global blocks ------------------------------------------------------------

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  HGLOBAL handle = nullptr;
  if (!(flags & GMEM_MOVEABLE) || (flags & ~(UINT)(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE))) {
    ReportMisuse("GlobalAlloc: only movable blocks (GMEM_MOVEABLE, GMEM_ZEROINIT, GMEM_DDESHARE) are modelled");
  } else if (!InjectedFailure(fake::Fault::kGlobalMemory, "GlobalAlloc") && (handle = MakeGlobalBlock(bytes))) {
    // Without GMEM_ZEROINIT the contents are garbage, so reliance on zeros shows.
    std::memset(BlockOf(handle).bytes, (flags & GMEM_ZEROINIT) ? 0 : 0xCD, bytes);
  }
  Record("GlobalAlloc(", FlagsOf(flags, kGlobalFlagNames, true), ", ", bytes, ") -> ", handle);
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL handle) {
  GlobalBlock *block = UsableBlock(handle, "GlobalLock");
  LPVOID bytes = nullptr;
  if (block && !InjectedFailure(fake::Fault::kGlobalMemory, "GlobalLock")) {
    ++block->locks;
    bytes = block->bytes;
  }
  Record("GlobalLock(", handle, ") -> ", bytes ? handle : nullptr, bytes ? " bytes" : "");
  return bytes;
}

// Nonzero while the block stays locked, as on Windows.
BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
  GlobalBlock *block = UsableBlock(handle, "GlobalUnlock");
  if (block && block->locks == 0) {
    ReportMisuse("GlobalUnlock: ", handle, " is not locked");
    block = nullptr;
  }
  if (block) --block->locks;
  Record("GlobalUnlock(", handle, ")");
  return block && block->locks > 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
  GlobalBlock *block = handle ? UsableBlock(handle, "GlobalSize") : nullptr;
  SIZE_T size = block ? block->reported : 0;
  Record("GlobalSize(", handle, ") -> ", size);
  return size;
}

// NULL on success; the handle when it cannot be freed.
HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
  GlobalBlock *block = handle ? LiveBlock(handle, "GlobalFree") : nullptr;
  bool ok = !handle || block;
  if (block && block->clipboards) {
    ok = ReportMisuse("GlobalFree: ", handle, " belongs to the clipboard");
  } else if (block && block->locks) {
    ok = ReportMisuse("GlobalFree: ", handle, " is still locked");
  }
  Record("GlobalFree(", handle, ")", ok ? std::string() : Entry(" -> ", handle));
  if (!ok) return handle;
  if (block) FreeGlobalBlock(*block);
  return nullptr;
}

// ---- What tests see -----------------------------------------------------------

namespace fake {

size_t HeapBytesInUse() { return m.heapBytes; }

}  // namespace fake
