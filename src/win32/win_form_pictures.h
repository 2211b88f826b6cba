#pragma once
// The pictures that the guidance windows show, drawn by our own GDI code: the name and type
// fields of a save dialog for a .txt export, the settings dialog of an ASCII export, and the
// .ply save with its BINARY / ASCII question.
#include <windows.h>

#include <string_view>

namespace harlowe::win32 {

// Draws the picture `id` (dialogs/form9.h) designed at designWidth × designHeight pixels,
// scaled into `box`. Unknown ids draw nothing.
void drawFormPicture(std::string_view id, HDC dc, const RECT& box, int designWidth,
                     int designHeight);

}  // namespace harlowe::win32
