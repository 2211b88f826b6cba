#include "tests/support/fake_shell.h"

namespace harlowe::test {

std::string FakeShell::canon(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c == '\\' && !out.empty() && out.back() == '\\') continue;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out += c;
  }
  return out;
}

std::optional<std::string> FakeShell::content(const std::string& path) const {
  auto it = files.find(canon(path));
  if (it == files.end()) return std::nullopt;
  return it->second;
}

platform::ItemIdList FakeShell::SHBrowseForFolderW(const platform::BrowseInfo& info) {
  browsed.push_back(info);
  log_.push_back("browse:" + info.lpszTitle);
  BrowseAnswer a;
  if (!browseAnswers.empty()) {
    a = browseAnswers.front();
    browseAnswers.pop_front();
  }
  if (a.kind == BrowseAnswer::Cancel) return 0;
  ++itemsOut;
  items_[++next_] = a;
  return next_;
}

bool FakeShell::SHGetPathFromIDListW(platform::ItemIdList item, std::string& path) {
  auto it = items_.find(item);
  path.clear();
  if (it == items_.end() || it->second.kind != BrowseAnswer::Folder) return false;
  path = it->second.path;
  return true;
}

void FakeShell::CoTaskMemFree(platform::ItemIdList item) {
  if (items_.erase(item)) --itemsOut;
  log_.push_back("free");
}

bool FakeShell::fileExists(const std::string& path) { return files.count(canon(path)) != 0; }

bool FakeShell::sameFile(const std::string& a, const std::string& b) {
  return fileExists(a) && canon(a) == canon(b);
}

bool FakeShell::CopyFileW(const std::string& source, const std::string& target, bool failIfExists) {
  log_.push_back("copy:" + source + ">" + target);
  const std::string t = canon(target);
  auto src = files.find(canon(source));
  if (src == files.end() || (failIfExists && files.count(t)) || readOnly.count(t)) return false;
  const std::string folder = t.substr(0, t.find_last_of('\\'));
  if (lockedFolders.count(folder)) return false;
  files[t] = src->second;
  return true;
}

bool FakeShell::hasAssociatedProgram(const std::string& document) {
  return pdfAssociated && canon(document).ends_with(".pdf");
}

bool FakeShell::shellExecute(const std::string& document) {
  log_.push_back("open:" + document);
  executed.push_back(document);
  return shellExecuteWorks;
}

}  // namespace harlowe::test
