// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

// The entry points of the fuzz targets. Each checks its properties on one input and
// returns; a broken property is reported through fuzz::fail. The libFuzzer programs
// and the corpus replay test call the same functions.
namespace fuzz {

namespace decoders {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace trace {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace settings {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace manualentry {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace simprojector {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace receiveroad {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace telnetcodec {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace statechanges {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace requests {
void fuzzOne(const uint8_t *data, size_t size);
}
namespace pjlink {
void fuzzOne(const uint8_t *data, size_t size);
}

} // namespace fuzz
