// The program's own main window on the double, created as WinMain creates it;
// the leak check every fixture ends with.
#include "support/program_fixture.h"

#include "app/main_window.h"
#include "view/character_picker.h"

void ProgramTest::StartProgram(int clientWidth, int clientHeight) {
  fake::SetDefaultClientSize(clientWidth, clientHeight);
  ASSERT_NE(nullptr, CreateMainWindow(NULL, 1));
}

void ProgramTest::TearDown() { ExpectNoLeaks(); }

void ExpectNoLeaks() {
  for (const std::string &leak : fake::Leaks()) ADD_FAILURE() << "leak: " << leak;
}

void PressAt(int x, int y) { fake::Send(WM_LBUTTONDOWN, 0, MAKELPARAM(x, y)); }
void ReleaseAt(int x, int y) { fake::Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

POINT PickerButtonCentre(int button) {
  const RECT &r = PickerRects[button];
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
