// main() of the page tests: one offscreen QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Page tests never reach the machine's own sound server, nor start one;
  // the recording tests start a private server and point PULSE_SERVER at it.
  qputenv("PULSE_SERVER", "unix:/nonexistent/voxmire-no-sound-server");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
