#pragma once

#include "window/Dialog.h"

// A dialog whose handlers are all the framework's.
class PlainDialog : public CDialog {};
