#pragma once
// How the two link libraries reach the one bench in DBench: each takes its function table
// from there and only forwards its exported functions to it.
#include "bench/benchexport.h"
#include "link/analoglink.h"
#include "link/switchlink.h"

extern "C" {
DBENCH_API const dtool::TAnalogLinkApi* DBenchAnalogApi();
DBENCH_API const dtool::TSwitchLinkApi* DBenchSwitchApi();
}
