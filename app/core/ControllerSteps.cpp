// The controller object for the document; the controller's own piece makes
// it here.
#include "app/core/ControllerOps.h"

std::unique_ptr<ControllerOps> MakeController() { return nullptr; }
