// Driving the folder browser of another process.
//
// The browser finds a folder asked for by path (BFFM_SETSELECTIONW) by comparing the item ids of
// the folders on the way with those it listed when it expanded them, and a folder's id holds its
// modification time: once a folder on the way changes (a file comes or goes in it, as on a busy
// machine), every later request stops there and selects nothing. So the browser is asked by path
// for the drive only, whose id holds no time, and the driver goes down from there as a user
// does: it expands one folder at a time, waits for its children, and picks the next one by name.
#include "folder_browser.h"

#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <cwctype>
#include <vector>

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

// The browser's tree, read from outside: item texts go through memory in the browser's process.
class Tree {
 public:
  explicit Tree(HWND tree) : tree_(tree), buf_(tree, sizeof(TVITEMW) + kText * sizeof(wchar_t)) {}
  bool ok() const { return tree_ && buf_.ok(); }

  HTREEITEM Next(HTREEITEM item, UINT how) {
    LRESULT r = 0;
    if (!SendSync(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item), &r)) return nullptr;
    return reinterpret_cast<HTREEITEM>(r);
  }
  HTREEITEM Caret() { return Next(nullptr, TVGN_CARET); }

  std::wstring Text(HTREEITEM item) {
    if (!item) return L"";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = reinterpret_cast<LPWSTR>(buf_.at(sizeof(TVITEMW)));
    tv.cchTextMax = static_cast<int>(kText);
    std::wstring text(kText, L'\0');
    if (!buf_.write(0, &tv, sizeof tv) ||
        !SendSync(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buf_.at(0))) ||
        !buf_.read(sizeof(TVITEMW), text.data(), kText * sizeof(wchar_t))) {
      return L"";
    }
    text.resize(wcsnlen(text.c_str(), kText));
    return text;
  }

  std::vector<HTREEITEM> Children(HTREEITEM parent) {
    std::vector<HTREEITEM> out;
    for (HTREEITEM c = Next(parent, TVGN_CHILD); c; c = Next(c, TVGN_NEXT)) out.push_back(c);
    return out;
  }

  // The browser lists a folder's children while it handles the expansion.
  void Expand(HTREEITEM item, UINT how) {
    SendSync(tree_, TVM_EXPAND, how, reinterpret_cast<LPARAM>(item));
  }

  bool Select(HTREEITEM item) {
    SendSync(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return SendSync(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) &&
           Caret() == item;
  }

 private:
  static constexpr SIZE_T kText = 1024;
  HWND tree_;
  RemoteBuffer buf_;
};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Milliseconds left until `deadline` (a GetTickCount value); 0 once it has passed.
DWORD Left(DWORD deadline) {
  const DWORD now = GetTickCount();
  return static_cast<int>(deadline - now) > 0 ? deadline - now : 0;
}

// The drive's item, asked for by path. A request that the browser answers with another item (in
// a fresh prefix the first one can land on the desktop) is made again after a pause; each request
// is over when the browser has answered it.
HTREEITEM SelectDrive(HWND dlg, Tree& tree, const std::wstring& root, DWORD deadline) {
  RemoteBuffer path(dlg, (root.size() + 1) * sizeof(wchar_t));
  if (!path.ok() || !path.write(0, root.c_str(), (root.size() + 1) * sizeof(wchar_t))) {
    return nullptr;
  }
  const std::wstring letter = root.substr(0, 2);  // "Z:", which the drive's text holds
  for (;;) {
    SendSync(dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.at(0)));
    HTREEITEM caret = tree.Caret();
    std::wstring text = tree.Text(caret);
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    if (caret && text.find(letter) != std::wstring::npos) return caret;
    if (Left(deadline) == 0) return nullptr;
    Sleep(500);
  }
}

// The child of `parent` named `name`, expanding `parent` first. A folder listed before the child
// was made is listed afresh (collapsed with its children dropped, expanded again), with longer
// and longer pauses, so that a slow listing can finish before it is asked for again.
HTREEITEM ChildNamed(Tree& tree, HTREEITEM parent, const std::wstring& name, DWORD deadline,
                     std::wstring* seen) {
  DWORD patience = 1000;
  for (;;) {
    tree.Expand(parent, TVE_EXPAND);
    const DWORD until = GetTickCount() + patience;
    do {
      seen->clear();
      for (HTREEITEM c : tree.Children(parent)) {
        std::wstring text = tree.Text(c);
        if (SameName(text, name)) return c;
        *seen += (seen->empty() ? L"\"" : L", \"") + text + L"\"";
      }
      Sleep(100);
    } while (Left(until) > 0 && Left(deadline) > 0);
    if (Left(deadline) == 0) return nullptr;
    tree.Expand(parent, TVE_COLLAPSE | TVE_COLLAPSERESET);
    patience *= 2;
  }
}

// "X:\a\b" (or with "/") into the drive root "X:\" and the folder names below it.
bool SplitPath(const std::wstring& path, std::wstring* root, std::vector<std::wstring>* names) {
  if (path.size() < 2 || !std::iswalpha(path[0]) || path[1] != L':') return false;
  *root = std::wstring(1, static_cast<wchar_t>(std::towupper(path[0]))) + L":\\";
  names->clear();
  std::wstring part;
  for (std::size_t i = 2; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
      if (!part.empty()) names->push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  return true;
}

HWND WaitBrowser(const std::wstring& text) {
  return WaitFor([&]() -> HWND {
    HWND h = FindBrowser(text);
    return h && IsWindowEnabled(h) ? h : nullptr;
  });
}

}  // namespace

int CmdBrowseFolder(const std::wstring& text, const std::wstring& path) {
  std::wstring root;
  std::vector<std::wstring> names;
  if (!SplitPath(path, &root, &names)) {
    return Fail(L"the folder browser is driven by drive paths (X:\\...), not \"" + path + L"\"");
  }
  HWND dlg = WaitBrowser(text);
  if (!dlg) return Fail(L"no folder browser \"" + text + L"\" within the time limit");
  const DWORD deadline = GetTickCount() + g_timeout_ms;
  Tree tree(TreeOf(dlg));
  if (!tree.ok()) return Fail(L"cannot read the folder browser's tree");
  HTREEITEM item = SelectDrive(dlg, tree, root, deadline);
  if (!item) {
    return Fail(L"the folder browser selects \"" + tree.Text(tree.Caret()) + L"\", not the drive " +
                root);
  }
  for (const std::wstring& name : names) {
    std::wstring seen;
    HTREEITEM child = ChildNamed(tree, item, name, deadline, &seen);
    if (!child) {
      return Fail(L"the folder browser shows no folder \"" + name + L"\" in \"" + tree.Text(item) +
                  L"\" (it shows " + (seen.empty() ? L"none" : seen) + L")");
    }
    item = child;
  }
  if (!tree.Select(item)) {
    return Fail(L"the folder browser selects \"" + tree.Text(tree.Caret()) + L"\", not \"" +
                tree.Text(item) + L"\"");
  }
  // The browser enables OK once it has taken the selection of a folder it may return.
  HWND ok = GetDlgItem(dlg, IDOK);
  while (!IsWindowEnabled(ok)) {
    if (Left(deadline) == 0) return Fail(L"the folder browser keeps OK disabled");
    Sleep(20);
  }
  if (!SendAndSettle(ok, BM_CLICK, 0, 0) || !WaitGone(dlg)) {
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
