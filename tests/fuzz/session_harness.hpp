#pragma once

#include <cstddef>
#include <cstdint>

// Runs a whole menu session in this process with `data` as its standard input and the
// generators seeded from the data. Aborts if the session writes more than its input can
// explain (a bounded amount per byte read).
void run_session_bytes(const std::uint8_t* data, std::size_t size);
