#pragma once
/// The columns of a log read from a file, made when they are needed: the opening pass, the column
/// cache, single values and frame visits, and statistics over frame ranges.

#include "model/ColumnCache.h"
#include "model/LogFrames.h"
#include "model/LogOpening.h"
#include "model/RangeStats.h"
#include "model/StatsKernel.h"
