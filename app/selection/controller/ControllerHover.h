// The hover engine's host over the controller: its questions answered from
// the windows and records, its steps carried out on them.
#pragma once

#include <memory>

#include "app/selection/controller/HoverEngine.h"

class BrowserTreeView;

std::unique_ptr<hover::HoverHost> MakeHoverHost(BrowserTreeView& view);
