#pragma once
// The questions the file commands ask the person at the screen — what to do when the phone
// folder already holds a file of the chosen name, and the new name of a renamed file — are
// the link's question seams: the window answers them with ConflictDialog and RenameDialog,
// the CLI from its options, tests from a script.

#include "base/Prompts.h"
