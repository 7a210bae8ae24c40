// SPDX-License-Identifier: GPL-3.0-or-later
// The libFuzzer entry of one target; FUZZ_TARGET names its namespace.
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::FUZZ_TARGET::fuzzOne(data, size);
    return 0;
}
