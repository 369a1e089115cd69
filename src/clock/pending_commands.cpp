// TEMPORARY: commands whose dialogs and scheduler are not built yet.
#include "app/peltoclock_app.h"
#include "clock/clock_dlg.h"

namespace pelto {

void CPeltoClockDlg::OnSyncNow() {}
void CPeltoClockDlg::SchedulerSecondStep() {}
void CPeltoClockDlg::SchedulerDriftCheck() {}
void CPeltoClockDlg::SchedulerOnlineCheck() {}

}  // namespace pelto
