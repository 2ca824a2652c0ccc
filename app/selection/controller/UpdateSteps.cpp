// The controller's side of the updates: the heartbeat's server messages and
// 11146, the downloaded setup program's start.
#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/ControllerSteps.h"

void AppProcessServerMessages() { theApp.ProcessServerMessages(); }
void RunSetup() { theApp.RunSetup(); }
