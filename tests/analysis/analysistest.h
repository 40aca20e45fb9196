// SPDX-License-Identifier: GPL-3.0-or-later
// What the analysis tests share.
#pragma once

#include "analysis.h"
#include "stability.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

const double kNaN = NAN, kInf = INFINITY;
using D = std::vector<double>;
using I = std::vector<int>;
