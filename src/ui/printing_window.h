#pragma once
#include "ui/small_windows.h"
