#include "window/WindowTestSupport.h"

// One QApplication for every test of the binary.
static ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new q7k3::test::QtAppEnvironment);
