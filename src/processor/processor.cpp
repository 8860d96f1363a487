// Which thread of a parallel region is the first, with OpenMP or without it.

#include "processor/processor.hpp"

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace sa {

bool on_first_thread() {
#if defined(_OPENMP)
    return omp_get_thread_num() == 0;
#else
    return true;
#endif
}

}  // namespace sa
