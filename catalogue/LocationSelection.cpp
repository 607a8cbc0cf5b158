#include "ui/CorvaneDlg.h"

void CCorvaneDlg::FillLocationList() {}
void CCorvaneDlg::FillStaticIpList() {}
void CCorvaneDlg::FillServerList() {}
void CCorvaneDlg::SelectCurrentLocation() {}
void CCorvaneDlg::SelectCurrentServer() {}
void CCorvaneDlg::ApplyStaticSlotSelection() {}
void CCorvaneDlg::DecideLocation(unsigned) {}
void CCorvaneDlg::CommitLocation() {}
void CCorvaneDlg::RevertLocation() {}
void CCorvaneDlg::OnSelchangeServer() {}
void CCorvaneDlg::OnSelchangeLocation() {}
void CCorvaneDlg::OnLocationCommand(UINT) {}
void CCorvaneDlg::OnStaticSlotCommand(UINT) {}
