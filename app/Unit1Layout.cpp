// The main window's stored layout. Sizes are pixels at 96 dpi.
#include "app/Unit1.h"
#include "app/Unit1Texts.h"
#include "app/resource.h"

namespace {

const TFontSpec kWindowFont{
    .name = L"MS UI Gothic", .height = 12, .charset = SHIFTJIS_CHARSET, .color = clWindowText};

// A command button; a row break follows it unless the separator's does.
TMainFormLayout::Button CommandButton(const char* name, const wchar_t* caption, int image,
                                      TMainFormLayout::Handler onClick,
                                      TCursor cursor = crHandPoint, bool enabled = true,
                                      bool wrap = true) {
    return {.props = {.name = name,
                      .caption = caption,
                      .imageIndex = image,
                      .wrap = wrap,
                      .enabled = enabled,
                      .cursor = cursor},
            .onClick = onClick};
}

} // namespace

const TMainFormLayout kMainFormLayout{
    .form = {.control = {.name = "TMainForm",
                         .left = 332,
                         .top = 193,
                         .color = clBtnFace,
                         .font = &kWindowFont},
             .caption = texts::kCaption,
             .iconResource = IDI_MAINICON,
             .clientWidth = 478,
             .clientHeight = 319},
    .onCreate = &TMainForm::FormCreate,
    .ImageList1 = {.name = "ImageList1",
                   .bitmapResource = IDB_TOOLBUTTONS,
                   .maskResource = IDB_TOOLBUTTONS_MASK},
    .Panel1 = {.control = {.name = "Panel1", .height = 25, .align = alTop},
               .bevelInner = bvLowered},
    .Label1 = {.control = {.name = "Label1", .left = 7, .top = 7}, .caption = texts::kInstruction},
    .StatusBar1 = {.control = {.name = "StatusBar1", .height = 19, .align = alBottom},
                   .simplePanel = true},
    .ToolBar1 = {.control = {.name = "ToolBar1", .width = 64, .align = alLeft},
                 .buttonWidth = 64,
                 .buttonHeight = 35,
                 .showCaptions = true,
                 .edgeBorders = false},
    .btnDrive = CommandButton("btnDrive", texts::kDrive, 6, &TMainForm::btnDriveClick),
    .btnDeskTop = CommandButton("btnDeskTop", texts::kDeskTop, 0, &TMainForm::btnDeskTopClick,
                                crHandPoint, true, false),
    .ToolButton2 =
        {.props = {.name = "ToolButton2", .style = tbsSeparator, .width = 17, .wrap = true}},
    .btnStart = CommandButton("btnStart", texts::kStart, 1, &TMainForm::btnStartClick),
    .btnStop =
        CommandButton("btnStop", texts::kStop, 4, &TMainForm::btnStopClick, crHandPoint, false),
    .btnQuit = CommandButton("btnQuit", texts::kQuit, 3, &TMainForm::btnQuitClick),
    .btnAbout = CommandButton("btnAbout", texts::kAbout, 5, &TMainForm::btnAboutClick, crHelp),
    .FTV = {.tree = {.control = {.name = "FTV", .align = alClient, .parentColor = false},
                     .indent = 19}},
    .onFTVChange = &TMainForm::FTVChange,
};
