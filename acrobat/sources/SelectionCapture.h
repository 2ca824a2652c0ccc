// Following the text selection in the host's page views and writing it into
// the record.
#pragma once

#include "hosts/acrobat/PluginHost.h"

void CaptureSelection(acrohost::Document doc, acrohost::PageView pageView);
void ACROHOST_CALL IdleCheck(void* clientData);
