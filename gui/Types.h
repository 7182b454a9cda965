// Basic types of the GUI layer: events bound to an object, alignment,
// cursors, colours and mouse buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier and button state of a mouse or key event (MK_* bits).
using TShiftState = unsigned;

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

// Binds a method of an object as an event handler.
template <class T, class R, class... Args>
std::function<R(Args...)> Bind(T* object, R (T::*method)(Args...)) {
    return [object, method](Args... args) { return (object->*method)(args...); };
}

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TCursor { crDefault, crArrow, crHandPoint, crHelp, crHourGlass, crDrag };

// An RGB value, or a system colour index with the high bit set.
using TColor = unsigned;
constexpr TColor SystemColor(int index) {
    return 0x80000000u | unsigned(index);
}
constexpr TColor clNone = 0x1FFFFFFFu;
constexpr TColor clBlack = 0x000000u;
constexpr TColor clWhite = 0xFFFFFFu;
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);

inline COLORREF ColorToRGB(TColor c) {
    return (c & 0x80000000u) ? GetSysColor(int(c & 0xFF)) : COLORREF(c);
}

HCURSOR CursorHandle(TCursor cursor);
