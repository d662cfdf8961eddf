// The common dialogs, which the double declares in its windows.h.
#pragma once

#include <windows.h>
