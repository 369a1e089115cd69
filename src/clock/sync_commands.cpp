// The scheduler's share of the clock's tick and the sync-now command: the portable scheduler of
// ClockState, plus the repaint when the outcome changes the face's colour.
#include "clock/clock_dlg.h"

namespace pelto {

void CPeltoClockDlg::SchedulerSecondStep() { SchedulerStep(); }

void CPeltoClockDlg::SchedulerDriftCheck() {
    // A correction too large for the thread makes the check synchronise, which may change the
    // colour.
    const int wasOnline = m_online;
    DriftCheck();
    if (m_online != wasOnline) Invalidate(true);
}

void CPeltoClockDlg::SchedulerOnlineCheck() {
    if (OnlineCheckDue()) OnSyncNow();
}

void CPeltoClockDlg::OnSyncNow() {
    const int wasOnline = m_online;
    SyncNow();
    if (m_online != wasOnline) Invalidate(true);
}

}  // namespace pelto
