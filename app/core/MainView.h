// The view inside the hidden main frame.
#pragma once

#include "fx/DocTemplate.h"

class MainView : public fx::View {};
