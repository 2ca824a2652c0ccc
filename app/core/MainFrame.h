// The hidden main frame: the program's main window (its handle is the one in
// the shared data section).
#pragma once

#include "fx/DocTemplate.h"

class CMainFrame : public fx::FrameWindow {};
