#include "about/About.h"

namespace {

const TFontSpec kAboutFont{.name = "Arial", .height = 11, .charset = ANSI_CHARSET};

const TFormProps kAboutForm{
    .control =
        {.name = "TAboutBox", .width = 345, .height = 201, .color = clWhite, .font = &kAboutFont},
    .caption = "ﾊﾞｰｼﾞｮﾝ情報",
    .borderStyle = bsNone,
    .formStyle = fsStayOnTop,
    .position = poMainFormCenter,
};

const TLabelProps kLabel1{.control = {.name = "Label1", .left = 24, .top = 24},
                          .caption = "Kelvane  Copyright (C) 2026 Tarnwick"};

} // namespace

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner, kAboutForm), Label1(this, this, kLabel1) {
    OnMouseUp = Bind(this, &TAboutBox::Label1MouseUp);
    Label1.OnMouseUp = OnMouseUp;
}

TAboutBox::~TAboutBox() {
    DestroyHandle();
}

void TAboutBox::Label1MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    SetModalResult(mrOk);
}
