// SPDX-License-Identifier: MIT
// Compiled by the layer tests with one layer's include paths: ORLIKA_PROBE_HEADER is a
// header that the layer may or may not see.
#include ORLIKA_PROBE_HEADER
