// Fonts, screen metrics and the application-wide cursor. Stored layouts are
// in pixels at 96 dpi; Scale converts them to the screen's resolution.
#pragma once

#include "gui/Owners.h"
#include "gui/Types.h"

#include <string>

struct TFontSpec {
    std::wstring name = L"MS UI Gothic";
    int height = 12; // character height in pixels at 96 dpi
    BYTE charset = DEFAULT_CHARSET;
    TColor color = clWindowText;
    bool bold = false;
    bool underline = false;

    bool operator==(const TFontSpec&) const = default;
};

// A font description and, made when first needed, its GDI font.
class TFont {
  public:
    TFont() = default;
    explicit TFont(const TFontSpec& fontSpec) : spec_(fontSpec) {}
    TFont(const TFont& other) : spec_(other.spec_) {}
    TFont& operator=(const TFont& other);

    const TFontSpec& Description() const { return spec_; }
    TColor Color() const { return spec_.color; }
    void SetColor(TColor color) { spec_.color = color; }
    HFONT Handle() const;

  private:
    TFontSpec spec_;
    mutable UniqueGdiObject<HFONT> handle_;
};

// Screen resolution and the application-wide cursor override.
class TScreen {
  public:
    int PixelsPerInch() const { return ppi_; }
    void SetPixelsPerInch(int ppi) { ppi_ = ppi; } // tests lay out at other resolutions
    int Scale(int px96) const { return MulDiv(px96, ppi_, 96); }

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

  private:
    int ppi_ = ReadPixelsPerInch();
    TCursor cursor_ = crDefault;
    static int ReadPixelsPerInch();
};

TScreen& Screen();

// The hourglass, and a window that does not redraw, for the bracket's
// lifetime: work that changes many items shows the result once at its end.
class BusyBracket {
  public:
    explicit BusyBracket(HWND window);
    ~BusyBracket();
    BusyBracket(const BusyBracket&) = delete;
    BusyBracket& operator=(const BusyBracket&) = delete;

  private:
    HWND window_;
};
