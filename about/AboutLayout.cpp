// The About window's stored layout. Sizes are pixels at 96 dpi.
#include "about/About.h"

namespace {

using Part = TAboutBoxLayout::Part<TLabelProps>;
using Events = TAboutBoxLayout::Events;

const TFontSpec kFont{.name = L"Arial", .height = 11, .charset = ANSI_CHARSET};
const TFontSpec kBold{
    .name = L"Arial", .height = 11, .charset = ANSI_CHARSET, .color = clBlack, .bold = true};
const TFontSpec kGrey{
    .name = L"Arial", .height = 11, .charset = ANSI_CHARSET, .color = RGB(128, 128, 128)};
const TFontSpec kLink{.name = L"Arial",
                      .height = 11,
                      .charset = ANSI_CHARSET,
                      .color = TAboutBox::kLinkColor,
                      .underline = true};

// A caption whose release closes the window.
const Events kCloses{.onMouseUp = &TAboutBox::Shape1MouseUp};

Part Caption(const char* name, int left, int top, const wchar_t* caption,
             const TFontSpec* font = nullptr) {
    return {.props = {.control = {.name = name, .left = left, .top = top, .font = font},
                      .caption = caption},
            .events = kCloses};
}

Part Link(const char* name, int left, int top, const wchar_t* caption,
          void (TAboutBox::*onClick)(TObject*)) {
    return {.props = {.control = {.name = name,
                                  .left = left,
                                  .top = top,
                                  .cursor = crHandPoint,
                                  .font = &kLink},
                      .caption = caption},
            .events = {.onClick = onClick, .onMouseMove = &TAboutBox::lblURL1MouseMove}};
}

TAboutBoxLayout::Part<TBevelProps> Divider(const char* name, int top) {
    return {
        .props = {.control = {.name = name, .left = 16, .top = top, .width = 313, .height = 2}}};
}

} // namespace

const TAboutBoxLayout kAboutBoxLayout{
    .form = {.control = {.name = "TAboutBox", .color = clWhite, .font = &kFont},
             .caption = L"ﾊﾞｰｼﾞｮﾝ情報",
             .borderStyle = bsNone,
             .formStyle = fsStayOnTop,
             .position = poMainFormCenter,
             .clientWidth = 345,
             .clientHeight = 201},
    .Shape1 = {.props = {.control = {.name = "Shape1", .width = 345, .height = 201}},
               .events = {.onMouseMove = &TAboutBox::lblURL1MouseMove,
                          .onMouseUp = &TAboutBox::Shape1MouseUp}},
    .Image1 = {.props = {.control =
                             {.name = "Image1", .left = 24, .top = 16, .width = 32, .height = 32}}},
    .Image2 = {.props = {.control =
                             {.name = "Image2", .left = 64, .top = 24, .width = 118, .height = 19}},
               .events = kCloses},
    .Bevel3 = Divider("Bevel3", 56),
    .Label3 = Caption("Label3", 24, 66, L"Special Thanks :", &kBold),
    .Label12 = Caption("Label12", 40, 89, L"* Software Icon :", &kGrey),
    .lblURL5 = Link("lblURL5", 144, 89, L"https://icons.example.com/", &TAboutBox::lblURL1Click),
    .Bevel1 = Divider("Bevel1", 120),
    .Label2 = Caption("Label2", 24, 129, L"Memory Available :", &kBold),
    .lblMemory = {.props = {.control = {.name = "lblMemory",
                                        .left = 136,
                                        .top = 129,
                                        .width = 192,
                                        .height = 14},
                            .autoSize = false,
                            .alignment = taRightJustify}},
    .Bevel2 = Divider("Bevel2", 151),
    .lblURL6 = Link("lblURL6", 271, 159, L" Tarnwick", &TAboutBox::Label10Click),
    .lblURL7 = Link("lblURL7", 190, 176, L"mailto:kelvane@example.com", &TAboutBox::lblURL1Click),
    .Label1 = Caption("Label1", 24, 176, L"Copyright (C) 2026 Tarnwick"),
    .tmrMemory = {.name = "tmrMemory", .interval = 500},
    .onMemoryTimer = &TAboutBox::tmrMemoryTimer,
};
