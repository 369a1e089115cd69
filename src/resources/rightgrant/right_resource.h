#pragma once
// Resource ids of PeltoRight.
#define IDI_PELTORIGHT 1
