// TEMPORARY: commands whose dialogs are not built yet.
#include "app/peltoclock_app.h"
#include "clock/clock_dlg.h"

namespace pelto {

void CPeltoClockDlg::OnNetworkSettings() {}
void CPeltoClockDlg::OnSyncStatus() {}

}  // namespace pelto
namespace pelto { void ShowAboutDialog() {} }
