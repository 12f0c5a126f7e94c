// Display scaling. Layout is written in 96-DPI units ("logical" units: what
// a control's bounds, a font height, a picture's Width() and a list column
// mean); a window draws in pixels at its own DPI. This unit is the one
// place that knows how the two relate and which system calls tell the DPI.
//
// Edges are scaled, not sizes: a logical rectangle maps to pixels by
// scaling its left and right edges, so controls that touch at 96 DPI still
// touch at any scale (rounding never opens a gap or an overlap).
#pragma once

#include <windows.h>

namespace ui::dpi {

constexpr UINT kBase = 96;

// The system's DPI (of the primary monitor when the program started).
UINT System();
// The DPI a window is drawn at; System() for null or an unknown window.
UINT OfWindow(HWND hwnd);

// A 96-DPI distance in pixels at dpi, rounded to nearest.
int Scale(int value, UINT dpi);
// A pixel distance at dpi in 96-DPI units, rounded to nearest.
int Unscale(int pixels, UINT dpi);
// A pixel distance at dpi in 96-DPI units, rounded up (text that must fit).
int UnscaleUp(int pixels, UINT dpi);
// A pixel offset at dpi in 96-DPI units, rounded down: the unit the pixel
// lies in (a mouse point inside a control never reads as past its edge).
int UnscaleDown(int pixels, UINT dpi);
// The width of a hairline at dpi in whole pixels (1 up to 191 DPI, then 2):
// a line never blurs over two half-lit pixels.
int Line(UINT dpi);
// Logical rectangle to pixels and back, edge by edge.
RECT ScaleRect(const RECT& logical, UINT dpi);
RECT UnscaleRect(const RECT& pixels, UINT dpi);

// GetSystemMetrics as it is at dpi (icon sizes, check-box size, ...).
int Metric(int index, UINT dpi);
// The system's message font as it is at dpi; false when the system tells
// nothing (the caller then keeps its default).
bool MessageFont(UINT dpi, LOGFONTW& font);
// AdjustWindowRectEx at dpi: the window rectangle around a client one.
void AdjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
// The work area (screen without task bar) of the monitor a window is on,
// or of the primary monitor when the window is null.
RECT WorkAreaOf(HWND hwnd);

// For tests: every new form lays out at this DPI instead of the system's
// (0 = none). The system answers font and metric queries for any DPI, so
// one process can be checked at every scale.
void SetOverride(UINT dpi);
UINT Override();

}  // namespace ui::dpi
