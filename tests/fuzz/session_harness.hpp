#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Runs a whole menu session in this process with `data` as its standard input and the
// engine seeded from the data, and returns what it printed. Aborts if the session fails or
// writes more than its input can explain (a bounded amount per byte read).
std::string run_session_bytes(const std::uint8_t* data, std::size_t size);
