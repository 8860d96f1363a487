#pragma once

// Reading standard input the way scanf("%d") and getchar() do, minus the undefined
// behaviour of scanf on overflow. Standard output is flushed before every read, so a
// prompt is visible before the program waits.

namespace sa {

enum class scanned { in_range, out_of_range, not_an_integer, end_of_input };

// Skips white space and reads an optionally signed decimal integer, leaving whatever
// follows its digits in the stream. Input that holds no integer is discarded up to and
// including the next line feed. Stores the integer in `value` when it lies in low..high.
scanned scan_integer(int low, int high, int& value);

// Reads and drops one character; at end of input reads nothing.
void discard_next_char();

}  // namespace sa
