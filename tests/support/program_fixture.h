// The program's own main window on the double, created as WinMain creates it.
#pragma once

#include <gtest/gtest.h>

#include "win32/fake_win32.h"

class ProgramTest : public testing::Test {
 protected:
  void StartProgram(int clientWidth = 800, int clientHeight = 700);
  void TearDown() override;
};

// Left-button press and release at client (x, y), as the system sends them.
void PressAt(int x, int y);
void ReleaseAt(int x, int y);
// The centre of picker button index.
POINT PickerButtonCentre(int button);
