// The program's own main window on the double, created as WinMain creates it;
// the leak check every fixture ends with.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_window.h"
#include "document/document_store.h"
#include "support/call_log_check.h"
#include "view/character_picker.h"
#include "win32/fake_win32.h"

class ProgramTest : public testing::Test {
 protected:
  void StartProgram(int clientWidth = 800, int clientHeight = 700);
  void TearDown() override;
};

// Every handle, block and file the double still holds fails the test.
void ExpectNoLeaks();
// Left-button press and release at client (x, y), as the system sends them.
void PressAt(int x, int y);
void ReleaseAt(int x, int y);
// The centre of picker button index.
POINT PickerButtonCentre(int button);
