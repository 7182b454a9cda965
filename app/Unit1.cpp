#include "app/Unit1.h"

#include "about/About.h"
#include "app/Unit1Texts.h"
#include "app/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

TMainForm::TMainForm(TComponent* owner, const TMainFormLayout& l)
    : TForm(owner, l.form), ImageList1(this, l.ImageList1), Panel1(this, this, l.Panel1),
      Label1(this, &Panel1, l.Label1), StatusBar1(this, this, l.StatusBar1),
      ToolBar1(this, this, l.ToolBar1), btnDrive(this, &ToolBar1, l.btnDrive.props),
      btnDeskTop(this, &ToolBar1, l.btnDeskTop.props),
      ToolButton2(this, &ToolBar1, l.ToolButton2.props),
      btnStart(this, &ToolBar1, l.btnStart.props), btnStop(this, &ToolBar1, l.btnStop.props),
      btnQuit(this, &ToolBar1, l.btnQuit.props), btnAbout(this, &ToolBar1, l.btnAbout.props),
      FTV(this, this, l.FTV) {
    ToolBar1.SetImages(&ImageList1);
    const std::pair<TToolButton*, const TMainFormLayout::Button*> buttons[] = {
        {&btnDrive, &l.btnDrive}, {&btnDeskTop, &l.btnDeskTop}, {&ToolButton2, &l.ToolButton2},
        {&btnStart, &l.btnStart}, {&btnStop, &l.btnStop},       {&btnQuit, &l.btnQuit},
        {&btnAbout, &l.btnAbout}};
    for (auto [button, entry] : buttons)
        if (entry->onClick) button->OnClick = Bind(this, entry->onClick);
    if (l.onFTVChange) FTV.OnChangeW = Bind(this, l.onFTVChange);
    if (l.onCreate) OnCreate = Bind(this, l.onCreate);
    SetActiveControl(&FTV);
    SetCancelButton(&btnStop);
    Create();
    SetMinClientSize(MinClientWidth(), MinClientHeight());
}

// The instruction strip's text with its margin on both sides, and the tool
// bar beside a tree as wide again.
int TMainForm::MinClientWidth() const {
    return std::max(Label1.Left() * 2 + Label1.Width(), ToolBar1.Width() * 2);
}

// The instruction strip, every tool button and the status line.
int TMainForm::MinClientHeight() const {
    RECT last{};
    SendMessageW(ToolBar1.Handle(), TB_GETITEMRECT, ToolBar1.Buttons().size() - 1, LPARAM(&last));
    return Panel1.Height() + int(last.bottom) + StatusBar1.Height();
}

void TMainForm::FormCreate(TObject*) {
    FFirstChange = true;
}

void TMainForm::Msg(const std::wstring& text) {
    StatusBar1.SetSimpleText(text);
}

void TMainForm::FTVChange(TObject*, const std::wstring& folderName) {
    Msg(folderName);
    FTV.SetRootFolderNameW(folderName);
    if (FFirstChange) {
        Msg(texts::kBanner);
        FFirstChange = false;
    }
}

void TMainForm::btnDriveClick(TObject*) {
    FTV.SetRootFolder(rfDrives);
}

void TMainForm::btnDeskTopClick(TObject*) {
    FTV.SetRootFolder(rfDesktop);
}

void TMainForm::btnQuitClick(TObject*) {
    Close();
}

void TMainForm::btnAboutClick(TObject*) {
    auto box =
        std::make_unique<TWindowed<TAboutBox>>(nullptr, TAboutPictures{IDI_MAINICON, IDB_NAME});
    box->ShowModal();
}

bool TMainForm::CloseQuery() {
    // No window is destroyed under a running walk: closing waits for its end.
    if (FWalking) {
        FCloseDeferred = true;
        return false;
    }
    return true;
}
