#pragma once
// What PeltoRight does in its one run.
#include "rightgrant/security_port.h"

namespace pelto {

// Adds the account right "SeSystemtimePrivilege" to the user of the process's own token in the
// local security policy, provided the caller runs as an elevated administrator. Reports the
// outcome in one message box, shown only after every SID, handle, buffer and policy the run
// obtained has been released, and returns the exit code: 0 when the right was added, 1 otherwise.
int GrantTimeRight(CSecurityPort& port);

}  // namespace pelto
