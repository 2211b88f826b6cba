#include "standin/cad/standin_settings.h"

#include <cwchar>

namespace standin {

namespace {

constexpr const wchar_t* kSection = L"StandIn";

std::wstring ReadValue(const std::filesystem::path& ini, const wchar_t* key,
                       const std::wstring& fallback) {
  std::wstring buf(4096, L'\0');
  DWORD n = GetPrivateProfileStringW(kSection, key, fallback.c_str(), buf.data(),
                                     static_cast<DWORD>(buf.size()), ini.c_str());
  buf.resize(n);
  return buf;
}

int ReadInt(const std::filesystem::path& ini, const wchar_t* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntW(kSection, key, fallback, ini.c_str()));
}

std::filesystem::path Resolve(const std::filesystem::path& base, const std::wstring& value) {
  std::filesystem::path p(value);
  return p.is_absolute() ? p : (base / p).lexically_normal();
}

}  // namespace

Settings ReadSettings(const std::filesystem::path& iniFile) {
  Settings s;
  const std::filesystem::path base = iniFile.parent_path();
  s.mainCaption = ReadValue(iniFile, L"MainCaption", s.mainCaption);
  s.textCaption = ReadValue(iniFile, L"TextCaption", s.textCaption);
  s.commandCaption = ReadValue(iniFile, L"CommandCaption", s.commandCaption);
  s.drawingName = ReadValue(iniFile, L"DrawingName", s.drawingName);
  s.fontName = ReadValue(iniFile, L"FontName", L"");
  s.osmode = ReadInt(iniFile, L"Osmode", s.osmode);
  s.mainCmdCtrlId = ReadInt(iniFile, L"MainCmdCtrlID", s.mainCmdCtrlId);
  s.textCmdCtrlId = ReadInt(iniFile, L"TextCmdCtrlID", s.textCmdCtrlId);
  s.mainHistCtrlId = ReadInt(iniFile, L"MainHistCtrlID", s.mainHistCtrlId);
  s.textHistCtrlId = ReadInt(iniFile, L"TextHistCtrlID", s.textHistCtrlId);

  std::wstring support = ReadValue(iniFile, L"SupportPath", L".");
  std::size_t start = 0;
  while (start <= support.size()) {
    std::size_t end = support.find(L';', start);
    if (end == std::wstring::npos) end = support.size();
    std::wstring folder = support.substr(start, end - start);
    while (!folder.empty() && folder.back() == L' ') folder.pop_back();
    while (!folder.empty() && folder.front() == L' ') folder.erase(0, 1);
    if (!folder.empty()) s.supportFolders.push_back(Resolve(base, folder));
    start = end + 1;
  }

  std::wstring dump = ReadValue(iniFile, L"DumpFolder", L"dump");
  if (dump != L"-" && !dump.empty()) s.dumpFolder = Resolve(base, dump);

  s.secureLoad = ReadInt(iniFile, L"SecureLoad", 0) != 0;
  s.trustedPaths = ReadValue(iniFile, L"TrustedPaths", L"");

  std::wstring answer = ReadValue(iniFile, L"GetPointAnswer", L"continue");
  s.continueAtPause = _wcsicmp(answer.c_str(), L"cancel") != 0;
  return s;
}

}  // namespace standin
