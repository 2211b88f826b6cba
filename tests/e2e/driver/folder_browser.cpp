// Driving the folder browser of another process. Its selection is set with BFFM_SETSELECTIONW,
// whose path must lie in the browser's own process, and checked by reading the selected tree item
// back: in a fresh Wine prefix the first selection may land on the desktop instead.
#include "folder_browser.h"

#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include "driver_util.h"

namespace driver {

namespace {

HWND FindBrowser(const std::wstring& text) {
  for (HWND h : TopLevelWindows(true)) {
    if (ClassOf(h) != L"#32770") continue;
    bool titled = false, tree = false;
    for (HWND c : Descendants(h)) {
      if (ClassOf(c) == L"SysTreeView32") tree = true;
      if (ClassOf(c) == L"Static" && TextOf(c) == text) titled = true;
    }
    if (titled && tree) return h;
  }
  return nullptr;
}

HWND TreeOf(HWND browser) {
  for (HWND c : Descendants(browser))
    if (ClassOf(c) == L"SysTreeView32") return c;
  return nullptr;
}

// Memory in another process, released when it goes out of scope.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, SIZE_T size) : size_(size) {
    DWORD pid = ProcessOf(owner);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) mem_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (mem_) VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool ok() const { return mem_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(mem_) + offset; }
  bool write(SIZE_T offset, const void* data, SIZE_T n) {
    return offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, nullptr);
  }
  bool read(SIZE_T offset, void* data, SIZE_T n) {
    return offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* mem_ = nullptr;
  SIZE_T size_;
};

// The text of the tree's selected item, read through memory in the browser's process.
std::wstring SelectedText(HWND tree) {
  LRESULT item = 0;
  if (!SendSync(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item) || !item) return L"";
  constexpr SIZE_T kText = 1024;
  RemoteBuffer buf(tree, sizeof(TVITEMW) + kText * sizeof(wchar_t));
  if (!buf.ok()) return L"";
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = reinterpret_cast<HTREEITEM>(item);
  tv.pszText = reinterpret_cast<LPWSTR>(buf.at(sizeof(TVITEMW)));
  tv.cchTextMax = static_cast<int>(kText);
  if (!buf.write(0, &tv, sizeof tv)) return L"";
  if (!SendSync(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buf.at(0)))) return L"";
  std::wstring text(kText, L'\0');
  if (!buf.read(sizeof(TVITEMW), text.data(), kText * sizeof(wchar_t))) return L"";
  text.resize(wcsnlen(text.c_str(), kText));
  return text;
}

std::wstring LastComponent(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Whether the tree's item text names the folder `want` (the last component of the path): a drive
// root's item reads "Label (R:)", or "(R:)" without a label.
bool ItemIs(const std::wstring& text, const std::wstring& want) {
  if (text == want) return true;
  return want.size() == 2 && want[1] == L':' && text.ends_with(L"(" + want + L")");
}

HWND WaitBrowser(const std::wstring& text) {
  return WaitFor([&]() -> HWND {
    HWND h = FindBrowser(text);
    return h && IsWindowEnabled(h) ? h : nullptr;
  });
}

}  // namespace

int CmdBrowseFolder(const std::wstring& text, const std::wstring& path) {
  HWND dlg = WaitBrowser(text);
  if (!dlg) return Fail(L"no folder browser \"" + text + L"\" within the time limit");
  HWND tree = TreeOf(dlg);
  const std::wstring want = LastComponent(path);
  RemoteBuffer buf(dlg, (path.size() + 1) * sizeof(wchar_t));
  if (!buf.ok() || !buf.write(0, path.c_str(), (path.size() + 1) * sizeof(wchar_t))) {
    return Fail(L"could not write the path into the browser's process");
  }
  // Selecting a deep folder makes the browser expand every folder on the way, which can take a
  // while on a large drive: give each request time before asking again.
  DWORD start = GetTickCount();
  std::wstring got;
  for (;;) {
    SendSync(dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(buf.at(0)));
    DWORD asked = GetTickCount();
    do {
      Sleep(100);
      got = SelectedText(tree);
    } while (!ItemIs(got, want) && GetTickCount() - asked < 1000 &&
             GetTickCount() - start < g_timeout_ms);
    if (ItemIs(got, want)) break;
    if (GetTickCount() - start >= g_timeout_ms) {
      return Fail(L"the folder browser selects \"" + got + L"\", not \"" + want + L"\"");
    }
  }
  if (!SendAndSettle(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0) || !WaitGone(dlg)) {
    return Fail(L"the folder browser did not close on OK");
  }
  return 0;
}

int CmdBrowseCancel(const std::wstring& text) {
  HWND dlg = WaitBrowser(text);
  if (!dlg) return Fail(L"no folder browser \"" + text + L"\" within the time limit");
  if (!SendAndSettle(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0) || !WaitGone(dlg)) {
    return Fail(L"the folder browser did not close on Cancel");
  }
  return 0;
}

}  // namespace driver
