// Colours of the shell's own drawing, matched to the built-in pictures.
#pragma once

#include <windows.h>

namespace palette {

constexpr COLORREF Accent = RGB(0x0F, 0x76, 0x6E);
constexpr COLORREF AccentDark = RGB(0x0B, 0x5A, 0x54);
constexpr COLORREF AccentTint = RGB(0xE4, 0xF3, 0xF1);
constexpr COLORREF AccentTintDeep = RGB(0xCD, 0xEA, 0xE5);
constexpr COLORREF Window = RGB(0xEE, 0xF2, 0xF5);
constexpr COLORREF Panel = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF ActionBar = RGB(0xF4, 0xF7, 0xF9);
constexpr COLORREF Hairline = RGB(0xE1, 0xE7, 0xEC);
constexpr COLORREF PanelBorder = RGB(0xD3, 0xDB, 0xE2);
constexpr COLORREF ButtonBorder = RGB(0xB9, 0xC4, 0xCE);

constexpr COLORREF TabNormal = RGB(0x3E, 0x4C, 0x59);
constexpr COLORREF TabHover = RGB(0x0F, 0x76, 0x6E);
constexpr COLORREF TabSelected = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF Text = RGB(0x1F, 0x29, 0x33);
constexpr COLORREF CaptionText = RGB(0x52, 0x60, 0x6D);
constexpr COLORREF Heading = RGB(0x0F, 0x76, 0x6E);
constexpr COLORREF Copyright = RGB(0x7B, 0x87, 0x94);
constexpr COLORREF ButtonCaption = RGB(0x1F, 0x29, 0x33);
constexpr COLORREF DisabledText = RGB(0x9A, 0xA5, 0xB1);
constexpr COLORREF RowHighlight = RGB(0xD8, 0xEF, 0xEB);
constexpr COLORREF ChartBackground = RGB(0x14, 0x26, 0x2B);
constexpr COLORREF ChartGrid = RGB(0x3E, 0x5C, 0x62);

}  // namespace palette
