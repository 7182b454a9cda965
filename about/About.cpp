#include "about/About.h"

#include <utility>

namespace {

void Wire(TAboutBox* box, TGraphicControl& control, const TAboutBoxLayout::Events& e) {
    if (e.onClick) control.OnClick = Bind(box, e.onClick);
    if (e.onMouseMove) control.OnMouseMove = Bind(box, e.onMouseMove);
    if (e.onMouseUp) control.OnMouseUp = Bind(box, e.onMouseUp);
}

TImageProps WithPicture(TImageProps props, int iconResource, int bitmapResource) {
    props.iconResource = iconResource;
    props.bitmapResource = bitmapResource;
    return props;
}

} // namespace

TAboutBox::TAboutBox(TComponent* owner, const TAboutPictures& pictures, TAboutServices& services)
    : TForm(owner, kAboutBoxLayout.form), Shape1(this, this, kAboutBoxLayout.Shape1.props),
      Image1(this, this, WithPicture(kAboutBoxLayout.Image1.props, pictures.iconResource, 0)),
      Image2(this, this, WithPicture(kAboutBoxLayout.Image2.props, 0, pictures.nameBitmapResource)),
      Bevel3(this, this, kAboutBoxLayout.Bevel3.props),
      Label3(this, this, kAboutBoxLayout.Label3.props),
      Label12(this, this, kAboutBoxLayout.Label12.props),
      lblURL5(this, this, kAboutBoxLayout.lblURL5.props),
      Bevel1(this, this, kAboutBoxLayout.Bevel1.props),
      Label2(this, this, kAboutBoxLayout.Label2.props),
      lblMemory(this, this, kAboutBoxLayout.lblMemory.props),
      Bevel2(this, this, kAboutBoxLayout.Bevel2.props),
      lblURL6(this, this, kAboutBoxLayout.lblURL6.props),
      lblURL7(this, this, kAboutBoxLayout.lblURL7.props),
      Label1(this, this, kAboutBoxLayout.Label1.props), tmrMemory(this, kAboutBoxLayout.tmrMemory),
      FServices(services) {
    const TAboutBoxLayout& l = kAboutBoxLayout;
    const std::pair<TGraphicControl*, const TAboutBoxLayout::Events*> parts[] = {
        {&Shape1, &l.Shape1.events},   {&Image1, &l.Image1.events},
        {&Image2, &l.Image2.events},   {&Bevel3, &l.Bevel3.events},
        {&Label3, &l.Label3.events},   {&Label12, &l.Label12.events},
        {&lblURL5, &l.lblURL5.events}, {&Bevel1, &l.Bevel1.events},
        {&Label2, &l.Label2.events},   {&lblMemory, &l.lblMemory.events},
        {&Bevel2, &l.Bevel2.events},   {&lblURL6, &l.lblURL6.events},
        {&lblURL7, &l.lblURL7.events}, {&Label1, &l.Label1.events}};
    for (auto [control, events] : parts)
        Wire(this, *control, *events);
    tmrMemory.OnTimer = Bind(this, l.onMemoryTimer);
    Create();
}

std::string TAboutBox::splitdigit(std::string S) {
    std::string result;
    for (int groups = (int(S.size()) - 1) / 3; groups > 0; --groups) {
        result.insert(0, S, S.size() - 3, 3);
        result.insert(result.begin(), ',');
        S.resize(S.size() - 3);
    }
    return S + result;
}

TAboutServices& SystemAboutServices() {
    static TAboutServices services;
    return services;
}

std::uint64_t AvailablePhysicalMemory() {
    // The 64-bit figure: the old 32-bit one stops at 4 GiB.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    return status.ullAvailPhys;
}

void TAboutBox::tmrMemoryTimer(TObject*) {
    const std::string figure = splitdigit(std::to_string(FServices.FreeMemory()));
    lblMemory.SetCaption(std::wstring(figure.begin(), figure.end()) + L" Byte Free"); // digits
}

void TAboutBox::lblURL1Click(TObject* sender) {
    if (auto* label = dynamic_cast<TLabel*>(sender))
        FServices.Open(Handle(), L"open", label->Caption().c_str(), nullptr, nullptr, SW_SHOW);
}

void TAboutBox::Label10Click(TObject*) {
    FServices.Open(Handle(), L"open", kMakerAddress, nullptr, nullptr, SW_SHOW);
}

void TAboutBox::lblURL1MouseMove(TObject* sender, TShiftState, int, int) {
    for (TComponent* c : Components())
        if (auto* label = dynamic_cast<TLabel*>(c); label && label->Name().starts_with("lblURL"))
            label->SetFontColor(label == sender ? kHoverColor : kLinkColor);
}

void TAboutBox::Shape1MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    SetModalResult(mrOk);
}
