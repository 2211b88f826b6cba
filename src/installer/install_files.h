#pragma once
// The files that the installer copies, in copy order. Each name carries its leading "\" and is
// appended as it is both to the installer's own folder and to the chosen folder.
#include <array>
#include <string_view>

namespace harlowe::installer {

inline constexpr std::string_view kInstallGuide = "\\IJCAD-Quarrendon_インストール.pdf";

inline constexpr std::array<std::string_view, 8> kInstallFiles = {
    "\\cloud_connect.exe",
    "\\cloud_install_dir.lsp",
    "\\cloud_start.lsp",
    "\\harlowe.exe",
    "\\mkscr.ini",
    kInstallGuide,
    "\\IJCAD-Quarrendon.pdf",
    "\\delay.dat",
};

}  // namespace harlowe::installer
