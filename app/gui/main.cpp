// q7k3fm: the two-pane file manager window.

#include "app/gui/WindowProgram.h"

int main(int argc, char** argv) {
    return q7k3::RunWindowProgram(argc, argv);
}
