// The frequency read-outs of the two channels.

#include "app/Main.h"
#include "platform/Appearance.h"

void TForm1::ShowFrequency(char) {}

void TForm1::PointerReadout(int, int) {}

void TForm1::AutoFrqCountClick(QObject*) {
  AnyChannel = RCnl->Checked() || LCnl->Checked();
  if (!RCnl->Checked()) SetFontColor(RFrq, clBtnShadow);
  if (!LCnl->Checked()) SetFontColor(LFrq, clBtnShadow);
  if (!AutoFrqCount->Checked()) {
    SetFontColor(RFrq, clBtnShadow);
    SetFontColor(LFrq, clBtnShadow);
  }
  SetFontColor(LabelR, RCnl->Checked() ? clWhite : clBtnShadow);
  SetFontColor(LabelL, LCnl->Checked() ? clWhite : clBtnShadow);
}
