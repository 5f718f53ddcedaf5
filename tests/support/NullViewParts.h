#pragma once

// The view parts that draw nothing, for the tests in namespace quadrel::test.
#include "model/NullViewParts.h"
