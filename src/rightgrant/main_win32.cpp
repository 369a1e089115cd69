// PeltoRight: grants the account it runs under the right to set the system time, says so in one
// message box and ends. It has no window and takes nothing from its command line.
#include <windows.h>

#include "rightgrant/grant_right.h"
#include "rightgrant/win32_security_port.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    pelto::CWin32SecurityPort port;
    return pelto::GrantTimeRight(port);
}
