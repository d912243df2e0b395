// MPR.DLL's resources, shared by its resource script and its code.
#pragma once
#include "standins/standin_registry.h"

#define IDD_CHANGE_PASSWORD 100

// The refusals, shown in a message box with STANDIN_CHANGE_CAPTION.
#define IDS_OLD_PASSWORD_WRONG 200
#define IDS_NEW_PASSWORDS_DIFFER 201
#define IDS_NOT_SAVED 202
