#include "cadlink/cad_settings.h"

#include <array>

#include "common/number_text.h"

namespace harlowe::cadlink {

namespace {

constexpr std::string_view kBase = "MkScr";
constexpr std::string_view kSection = "Main";
// The profile read gets a buffer of this many bytes, so a value keeps at most 254 of them.
constexpr std::uint32_t kValueBufferSize = 255;

// An integer key: its leading number rounded half to even. A number beyond the 32-bit range
// would have stopped the program with an overflow; the key means nothing to the link, so it
// falls back to its default instead.
std::int32_t integerValue(const std::string& text) {
  return text::roundToInt32(text::leadingNumber(text)).value_or(0);
}

}  // namespace

std::string appFolderOf(platform::System& system) {
  std::string folder = system.programFolder();
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string ReadIniValue(const SettingsSource& src, const std::string& appFolder,
                         std::string_view base, std::string_view section, std::string_view key,
                         std::string_view defaultValue) {
  std::string fileName = appFolder;
  fileName += base;
  fileName += ".ini";
  // The default is ASCII in every use, so its UTF-8 form is its ANSI form.
  std::array<char, kValueBufferSize> buffer{};
  std::uint32_t n = src.desktop.GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                                                         kValueBufferSize, fileName);
  if (n >= kValueBufferSize) n = kValueBufferSize - 1;
  return src.codePage.fromAnsi(std::string_view(buffer.data(), n));
}

CadSettings readCadSettings(const SettingsSource& src) {
  CadSettings s;
  s.AppFolder = appFolderOf(src.system);
  auto text = [&](std::string_view key) {
    return ReadIniValue(src, s.AppFolder, kBase, kSection, key, "???");
  };
  auto number = [&](std::string_view key) {
    return integerValue(ReadIniValue(src, s.AppFolder, kBase, kSection, key, "0"));
  };
  s.ACADName = text("ACADName");
  s.CommandCaption = text("CommandCaption");
  s.MainCaption = text("MainCaption");
  s.TextCaption = text("TextCaption");
  s.MainCmdCtrlID = number("MainCmdCtrlID");
  s.TextCmdCtrlID = number("TextCmdCtrlID");
  s.MainHistCtrlID = number("MainHistCtrlID");
  s.TextHistCtrlID = number("TextHistCtrlID");
  return s;
}

std::string ExeBaseName(std::string_view path) {
  std::string_view name = path;
  for (;;) {
    if (auto slash = name.find('\\'); slash != std::string_view::npos) {
      name.remove_prefix(slash + 1);
    } else if (auto colon = name.find(':'); colon != std::string_view::npos) {
      name.remove_prefix(colon + 1);
    } else {
      break;
    }
  }
  if (auto dot = name.find('.'); dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace harlowe::cadlink
