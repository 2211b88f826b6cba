#pragma once
// The pictures that the forms show, drawn by our own GDI code: the name and type fields of a
// save dialog for a .txt export, the settings dialog of an ASCII export, the .ply save with its
// BINARY / ASCII question, and the installer's picture of a scanned hill of points.
#include <windows.h>

#include <string_view>

namespace harlowe::win32 {

// Draws the picture `id` (dialogs/form9.h) designed at designWidth × designHeight pixels,
// scaled into `box`. Unknown ids draw nothing.
void drawFormPicture(std::string_view id, HDC dc, const RECT& box, int designWidth,
                     int designHeight);

}  // namespace harlowe::win32
