#include "pages/wizard/Uframeactive.h"

#include "pages/wizard/Uwizardparts.h"
#include "ui/Upalette.h"

using namespace pageparts;
using namespace wizardparts;

TFrameActive::TFrameActive(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrActive");
  LbMsg = new TLabel(this, this, "LbMsg", "Your network has been configured successfully!");
  LbMsg->SetFontColor(palette::Text);
  LbMsg->SetFontBold(true);
  LbMsg->SetShowAccelChar(false);
  LbMsg->SetWordWrap(true);
  LbMsg->SetAlignment(TAlignment::Center);
  LbMsg->SetBounds(40, 90, Width() - 80, 60);
  BtnActNow = MakeBarButton(this, "BtnActNow", "Activate now", "ImgBtnActnow", kSlotMiddle);
  BtnActLater = MakeBarButton(this, "BtnActLater", "Activate later", "ImgBtnActlater", kSlotRight);
}

void TFrameActive::InitPage() {
  LocalisePage("FrameActive");
  LocaliseButtons(this, "FrameActive");
  ResetPage();
}
