// The controller object for the document, made by the factory the program
// installs (PondRelMain.cpp: the selection piece's BrowserTreeView).
#include "app/core/frame/ControllerOps.h"

namespace {
ControllerFactory g_factory = nullptr;
}

void SetControllerFactory(ControllerFactory factory) { g_factory = factory; }

std::unique_ptr<ControllerOps> MakeController() { return g_factory ? g_factory() : nullptr; }
