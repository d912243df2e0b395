// PASSWORD.CPL's resources, shared by its resource script and its code.
#pragma once
#include "standins/standin_registry.h"

#define IDD_VERIFY_PASSWORD 100
