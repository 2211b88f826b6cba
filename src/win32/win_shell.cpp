#include "win32/win_shell.h"

#include <windows.h>
// clang-format off
#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>
#include <shlwapi.h>
// clang-format on

#include "win32/win_text.h"

namespace harlowe::win32 {

namespace {

// The identity of an existing file (volume and file index), or false when it cannot be opened.
bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileW(widen(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BOOL ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return ok != FALSE;
}

}  // namespace

platform::ItemIdList WinShell::SHBrowseForFolderW(const platform::BrowseInfo& info) {
  std::wstring title = widen(info.lpszTitle);
  BROWSEINFOW bi{};
  bi.hwndOwner = reinterpret_cast<HWND>(info.hwndOwner);
  bi.pidlRoot = reinterpret_cast<PCIDLIST_ABSOLUTE>(info.pidlRoot);
  bi.pszDisplayName = nullptr;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = info.ulFlags;
  bi.lpfn = nullptr;
  bi.lParam = 0;
  bi.iImage = 0;
  return reinterpret_cast<platform::ItemIdList>(::SHBrowseForFolderW(&bi));
}

bool WinShell::SHGetPathFromIDListW(platform::ItemIdList item, std::string& path) {
  wchar_t buffer[platform::kMaxPath] = {};
  BOOL ok = ::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), buffer);
  path = ok ? narrow(buffer) : std::string();
  return ok != FALSE;
}

void WinShell::CoTaskMemFree(platform::ItemIdList item) {
  ::CoTaskMemFree(reinterpret_cast<void*>(item));
}

bool WinShell::fileExists(const std::string& path) {
  DWORD a = GetFileAttributesW(widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinShell::sameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  if (!fileIdentity(a, x) || !fileIdentity(b, y)) return false;
  return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

bool WinShell::CopyFileW(const std::string& source, const std::string& target, bool failIfExists) {
  return ::CopyFileW(widen(source).c_str(), widen(target).c_str(), failIfExists ? TRUE : FALSE) !=
         FALSE;
}

bool WinShell::hasAssociatedProgram(const std::string& document) {
  const std::wstring path = widen(document);
  const wchar_t* extension = PathFindExtensionW(path.c_str());
  if (*extension == L'\0') return false;
  // The default verb's command line, or a handler that opens it without one (an app of the
  // store registers only that). "Unknown", the type of every unregistered file, does not count.
  for (ASSOCSTR what : {ASSOCSTR_COMMAND, ASSOCSTR_DELEGATEEXECUTE}) {
    DWORD size = 0;
    const HRESULT hr =
        AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, what, extension, nullptr, nullptr, &size);
    if (SUCCEEDED(hr) && size > 1) return true;
  }
  return false;
}

bool WinShell::shellExecute(const std::string& document) {
  // Late bound by name, as a script would: CreateObject("Shell.Application").ShellExecute(path).
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Shell.Application", &clsid))) return false;
  IDispatch* shell = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&shell)))) {
    return false;
  }
  wchar_t method[] = L"ShellExecute";
  LPOLESTR names[] = {method};
  DISPID id = 0;
  HRESULT hr = shell->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (SUCCEEDED(hr)) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(widen(document).c_str());
    DISPPARAMS params{&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    hr = shell->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                       nullptr, nullptr);
    VariantClear(&result);
    VariantClear(&arg);
  }
  shell->Release();
  return SUCCEEDED(hr);
}

}  // namespace harlowe::win32
